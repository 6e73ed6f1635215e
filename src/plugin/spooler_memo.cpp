#include "plugin/spooler_memo.h"

#include <algorithm>
#include <cstring>
#include <map>
#include <mutex>
#include <thread>
#include <utility>

#include "plugin/host_interface.h"

namespace plugin {
namespace {

// Each thread's innermost scope. Not a thread_local: the C++ runtime's emulated thread-local
// storage keeps two semaphores of the host per load of the DLL and never gives them back.
std::mutex scopesMutex;
std::map<std::thread::id, PrinterScope*> innermostScopes;

PrinterScope* Innermost() {
    std::lock_guard<std::mutex> lock(scopesMutex);
    const auto found = innermostScopes.find(std::this_thread::get_id());
    return found != innermostScopes.end() ? found->second : nullptr;
}

void SetInnermost(PrinterScope* scope) {
    std::lock_guard<std::mutex> lock(scopesMutex);
    if (scope != nullptr) {
        innermostScopes[std::this_thread::get_id()] = scope;
    } else {
        innermostScopes.erase(std::this_thread::get_id());
    }
}

std::u16string Fold(std::u16string_view s) {
    std::u16string out(s);
    for (char16_t& c : out) {
        if (c >= u'A' && c <= u'Z') c = static_cast<char16_t>(c - u'A' + u'a');
    }
    return out;
}

// Level-2 driver information points into its own buffer: a copy placed elsewhere points
// into its new place.
void Relocate(unsigned char* buffer, std::size_t size, std::uintptr_t oldBase) {
    if (size < sizeof(host::DRIVER_INFO_2W)) return;
    host::DRIVER_INFO_2W info;
    std::memcpy(&info, buffer, sizeof info);
    host::WCHAR** fields[] = {&info.pName, &info.pEnvironment, &info.pDriverPath, &info.pDataFile,
                              &info.pConfigFile};
    for (host::WCHAR** field : fields) {
        const auto at = reinterpret_cast<std::uintptr_t>(*field);
        if (*field == nullptr || at < oldBase || at - oldBase >= size) continue;
        *field = reinterpret_cast<host::WCHAR*>(buffer + (at - oldBase));
    }
    std::memcpy(buffer, &info, sizeof info);
}

}  // namespace

PrinterScope::PrinterScope(void* printer, const char16_t* name)
    : printer_(printer), known_(name != nullptr), outer_(Innermost()) {
    if (name != nullptr) name_ = name;
    SetInnermost(this);
}

PrinterScope::~PrinterScope() { SetInnermost(outer_); }

PrinterScope* PrinterScope::Of(void* printer) {
    for (PrinterScope* scope = Innermost(); scope != nullptr; scope = scope->outer_) {
        if (scope->printer_ == printer) return scope;
    }
    return nullptr;
}

void PrinterScope::Learn(std::u16string name) {
    name_ = std::move(name);
    known_ = true;
}

SpoolerMemo::SpoolerMemo(platform::Spooler& spooler, Clock clock, std::uint64_t windowMilliseconds,
                         std::size_t maxAnswers)
    : spooler_(spooler),
      clock_(std::move(clock)),
      window_(windowMilliseconds),
      maxAnswers_(maxAnswers) {}

std::u16string SpoolerMemo::NameOf(void* printer) {
    if (printer == nullptr) return {};
    PrinterScope* scope = PrinterScope::Of(printer);
    if (scope != nullptr && scope->known()) return Fold(scope->name());
    std::u16string name;
    if (spooler_.PrinterName(printer, &name) != 0) name.clear();
    // Within the scope of a host call the handle stays this printer: asked once per call.
    if (scope != nullptr && !name.empty()) scope->Learn(name);
    return Fold(name);
}

bool SpoolerMemo::Recall(const Key& key, Answer* answer) {
    const std::uint64_t now = clock_();
    std::lock_guard<std::mutex> lock(mutex_);
    const auto it = answers_.find(key);
    if (it == answers_.end()) return false;
    // A clock read before another thread's answer was kept may lag behind it.
    if (now >= it->second.at && now - it->second.at >= window_) {
        answers_.erase(it);
        return false;
    }
    *answer = it->second;
    return true;
}

void SpoolerMemo::Remember(Key key, Answer answer) {
    answer.at = clock_();
    std::lock_guard<std::mutex> lock(mutex_);
    if (answers_.size() >= maxAnswers_ && answers_.find(key) == answers_.end()) {
        // Full: the stale answers go; should that not be enough, all of them.
        std::erase_if(answers_, [&](const auto& kept) {
            return answer.at >= kept.second.at && answer.at - kept.second.at >= window_;
        });
        if (answers_.size() >= maxAnswers_) answers_.clear();
    }
    answers_.insert_or_assign(std::move(key), std::move(answer));
}

std::uint32_t SpoolerMemo::ReadDriverInfo(void* printer, std::uint32_t level, void* buffer,
                                          std::uint32_t bytes, std::uint32_t* needed) {
    const std::u16string name = level == 2 ? NameOf(printer) : std::u16string();
    if (name.empty()) return spooler_.ReadDriverInfo(printer, level, buffer, bytes, needed);
    const Key key{Kind::kDriverInfo, name, {}, bytes, buffer != nullptr};
    Answer answer;
    if (Recall(key, &answer)) {
        if (needed != nullptr) *needed = answer.needed;
        if (answer.status == 0 && buffer != nullptr && !answer.bytes.empty()) {
            auto* target = static_cast<unsigned char*>(buffer);
            std::memcpy(target, answer.bytes.data(), answer.bytes.size());
            Relocate(target, answer.bytes.size(), answer.base);
        }
        return answer.status;
    }
    std::uint32_t got = 0;
    const std::uint32_t status = spooler_.ReadDriverInfo(printer, level, buffer, bytes, &got);
    if (needed != nullptr) *needed = got;
    // Only answers that say something of the printer are kept: the information, or its size.
    if (status != 0 && status != platform::kErrorInsufficientBuffer) return status;
    answer.status = status;
    answer.needed = got;
    if (status == 0 && buffer != nullptr) {
        // What the spooler wrote: the information and its strings, within the buffer.
        const auto* written = static_cast<const unsigned char*>(buffer);
        answer.bytes.assign(written, written + (got != 0 && got < bytes ? got : bytes));
        answer.base = reinterpret_cast<std::uintptr_t>(buffer);
    }
    Remember(key, std::move(answer));
    return status;
}

std::uint32_t SpoolerMemo::DriverDirectory(char16_t* buffer, std::uint32_t units) {
    const Key key{Kind::kDirectory, {}, {}, units, buffer != nullptr};
    Answer answer;
    if (!Recall(key, &answer)) {
        answer.status = spooler_.DriverDirectory(buffer, units);
        if (answer.status != 0 || buffer == nullptr || units == 0) return answer.status;
        std::size_t length = 0;
        while (length < units && buffer[length] != u'\0') ++length;
        answer.text.assign(buffer, length);
        Remember(key, std::move(answer));
        return 0;
    }
    if (answer.status == 0 && buffer != nullptr && answer.text.size() < units) {
        std::copy(answer.text.begin(), answer.text.end(), buffer);
        buffer[answer.text.size()] = u'\0';
    }
    return answer.status;
}

std::uint32_t SpoolerMemo::ReadPrinterData(void* printer, std::u16string_view name,
                                           std::uint32_t* type, void* data, std::uint32_t bytes,
                                           std::uint32_t* needed) {
    const std::u16string printerName = NameOf(printer);
    if (printerName.empty())
        return spooler_.ReadPrinterData(printer, name, type, data, bytes, needed);
    const Key key{Kind::kPrinterData, printerName, Fold(name), bytes, data != nullptr};
    Answer answer;
    if (Recall(key, &answer)) {
        if (type != nullptr) *type = answer.type;
        if (needed != nullptr) *needed = answer.needed;
        if (answer.status == 0 && data != nullptr) {
            std::memcpy(data, answer.bytes.data(), answer.bytes.size());
        }
        return answer.status;
    }
    // The spooler's answer kept whole.
    std::uint32_t gotType = 0;
    std::uint32_t got = 0;
    answer.status = spooler_.ReadPrinterData(printer, name, &gotType, data, bytes, &got);
    answer.type = gotType;
    answer.needed = got;
    if (type != nullptr) *type = gotType;
    if (needed != nullptr) *needed = got;
    if (answer.status == 0 && data != nullptr) {
        const auto* written = static_cast<const unsigned char*>(data);
        answer.bytes.assign(written, written + std::min(got, bytes));
    }
    // A value that is there, or is not: other failures are not kept.
    const std::uint32_t status = answer.status;
    if (status == 0 || status == platform::kErrorFileNotFound ||
        status == platform::kErrorMoreData) {
        Remember(key, std::move(answer));
    }
    return status;
}

std::uint32_t SpoolerMemo::WritePrinterData(void* printer, std::u16string_view name,
                                            std::uint32_t type, const void* data,
                                            std::uint32_t bytes) {
    const std::u16string printerName = NameOf(printer);
    const std::u16string value = Fold(name);
    const std::uint32_t status = spooler_.WritePrinterData(printer, name, type, data, bytes);
    // Whatever the write did, the value is asked of the spooler again next time; of a printer
    // without a name every value is.
    std::lock_guard<std::mutex> lock(mutex_);
    std::erase_if(answers_, [&](const auto& kept) {
        const Key& k = kept.first;
        return k.kind == Kind::kPrinterData &&
               (printerName.empty() || (k.printer == printerName && k.value == value));
    });
    return status;
}

std::uint32_t SpoolerMemo::PortName(void* printer, std::u16string* port) {
    const std::u16string printerName = NameOf(printer);
    if (printerName.empty() || port == nullptr) return spooler_.PortName(printer, port);
    const Key key{Kind::kPort, printerName, {}, 0, true};
    Answer answer;
    if (Recall(key, &answer)) {
        if (answer.status == 0) *port = answer.text;
        return answer.status;
    }
    answer.status = spooler_.PortName(printer, port);
    if (answer.status != 0) return answer.status;
    answer.text = *port;
    Remember(key, std::move(answer));
    return 0;
}

std::uint32_t SpoolerMemo::ReadForm(void* printer, std::u16string_view name, std::uint32_t* flags,
                                    std::uint32_t* width, std::uint32_t* height) {
    return spooler_.ReadForm(printer, name, flags, width, height);
}

std::uint32_t SpoolerMemo::PrinterName(void* printer, std::u16string* name) {
    return spooler_.PrinterName(printer, name);
}

std::size_t SpoolerMemo::AnswersKept() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return answers_.size();
}

}  // namespace plugin
