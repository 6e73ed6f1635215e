// In-memory fakes of the platform ports for the native tests.
#pragma once

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "platform/ports.h"
#include "plugin/host_interface.h"
#include "ui/presenter.h"

namespace fakes {

class FakeLastError final : public platform::LastError {
  public:
    void Set(std::uint32_t code) override { code_ = code; }
    std::uint32_t Get() const override { return code_; }

  private:
    std::uint32_t code_ = 0;
};

// A registry hive: keys with case-insensitive names, values with a type and raw bytes.
class FakeRegistry final : public platform::Registry {
  public:
    struct Value {
        std::uint32_t type = 0;
        std::vector<unsigned char> data;
    };
    struct Node {
        std::map<std::u16string, std::unique_ptr<Node>> children;  // by lower-case name
        std::map<std::u16string, Value> values;                    // by lower-case name
    };

    // The user's hive is `root`, the classes root `classes`. A restricted process is played
    // with refuseWrite: asking for more than read access on a hive fails.
    std::unique_ptr<platform::RegistryKey> OpenHive(platform::Hive hive,
                                                    std::uint32_t access) override {
        ++opens;
        lastAccess = access;
        if (refuseOpen) return nullptr;
        if (refuseWrite && (access & ~platform::kKeyRead) != 0) return nullptr;
        switch (hive) {
            case platform::Hive::kCurrentUser:
                return std::make_unique<Key>(&root);
            case platform::Hive::kClassesRoot:
                return std::make_unique<Key>(&classes);
            case platform::Hive::kLocalMachine:
                return std::make_unique<Key>(&machine);
        }
        return nullptr;
    }

    // Test helpers, with "\"-separated paths from the hive's root.
    Node* Find(std::u16string_view path) { return Walk(&root, path, false); }
    Node* Make(std::u16string_view path) { return Walk(&root, path, true); }
    bool Exists(std::u16string_view path) { return Find(path) != nullptr; }
    void SetString(std::u16string_view path, std::u16string_view name, std::u16string_view s,
                   std::uint32_t type = platform::kRegSz, Node* hive = nullptr) {
        Value& v = Walk(hive != nullptr ? hive : &root, path, true)->values[Lower(name)];
        v.type = type;
        v.data.assign((s.size() + 1) * 2, 0);
        std::memcpy(v.data.data(), s.data(), s.size() * 2);
    }

    Node root;
    Node classes;
    Node machine;
    bool refuseOpen = false;
    bool refuseWrite = false;
    int opens = 0;
    std::uint32_t lastAccess = 0;

    static std::u16string Lower(std::u16string_view s) {
        std::u16string out(s);
        for (char16_t& c : out) {
            if (c >= u'A' && c <= u'Z') c = static_cast<char16_t>(c - u'A' + u'a');
        }
        return out;
    }

    static Node* Walk(Node* node, std::u16string_view path, bool create) {
        while (node != nullptr && !path.empty()) {
            const std::size_t cut = path.find(u'\\');
            const std::u16string name = Lower(path.substr(0, cut));
            path = cut == std::u16string_view::npos ? std::u16string_view{} : path.substr(cut + 1);
            if (name.empty()) continue;
            auto it = node->children.find(name);
            if (it == node->children.end()) {
                if (!create) return nullptr;
                it = node->children.emplace(name, std::make_unique<Node>()).first;
            }
            node = it->second.get();
        }
        return node;
    }

  private:
    class Key final : public platform::RegistryKey {
      public:
        explicit Key(Node* node) : node_(node) {}
        std::unique_ptr<platform::RegistryKey> Open(std::u16string_view subKey,
                                                    std::uint32_t) override {
            Node* n = Walk(node_, subKey, false);
            return n ? std::make_unique<Key>(n) : nullptr;
        }
        std::unique_ptr<platform::RegistryKey> Create(std::u16string_view subKey,
                                                      std::uint32_t) override {
            return std::make_unique<Key>(Walk(node_, subKey, true));
        }
        long DeleteKey(std::u16string_view subKey) override {
            return Delete(subKey, /*mustBeEmpty=*/false);
        }
        long DeleteEmptyKey(std::u16string_view subKey) override {
            return Delete(subKey, /*mustBeEmpty=*/true);
        }
        long QueryValue(std::u16string_view name, std::uint32_t* type, void* data,
                        std::uint32_t* size) override {
            auto it = node_->values.find(Lower(name));
            if (it == node_->values.end()) return platform::kRegFileNotFound;
            if (type) *type = it->second.type;
            const auto bytes = static_cast<std::uint32_t>(it->second.data.size());
            if (size == nullptr) return platform::kRegSuccess;
            if (data != nullptr && *size < bytes) {
                *size = bytes;
                return platform::kRegMoreData;
            }
            if (data != nullptr) std::memcpy(data, it->second.data.data(), bytes);
            *size = bytes;
            return platform::kRegSuccess;
        }
        long SetValue(std::u16string_view name, std::uint32_t type, const void* data,
                      std::uint32_t size) override {
            Value& v = node_->values[Lower(name)];
            v.type = type;
            const auto* p = static_cast<const unsigned char*>(data);
            v.data.assign(p, p + size);
            return platform::kRegSuccess;
        }

      private:
        long Delete(std::u16string_view subKey, bool mustBeEmpty) {
            // Parent and last name; a trailing "\" is ignored as the platform does.
            while (!subKey.empty() && subKey.back() == u'\\') subKey.remove_suffix(1);
            const std::size_t cut = subKey.rfind(u'\\');
            Node* parent = cut == std::u16string_view::npos
                               ? node_
                               : Walk(node_, subKey.substr(0, cut), false);
            const std::u16string last =
                Lower(cut == std::u16string_view::npos ? subKey : subKey.substr(cut + 1));
            if (parent == nullptr || last.empty()) return platform::kRegFileNotFound;
            auto it = parent->children.find(last);
            if (it == parent->children.end()) return platform::kRegFileNotFound;
            if (!it->second->children.empty()) return 5;  // access denied: has sub-keys
            if (mustBeEmpty && !it->second->values.empty()) return 5;
            parent->children.erase(it);
            return platform::kRegSuccess;
        }

        Node* node_;
    };
};

class FakeModule final : public platform::Module {
  public:
    void* Handle() const override { return handle; }
    void* ActivationContext() override { return context; }
    std::u16string FilePath() const override { return path; }
    std::u16string path = u"C:\\windows\\system32\\spool\\drivers\\x64\\3\\CVLU.DLL";
    void* handle = reinterpret_cast<void*>(0x10000000);
    void* context = nullptr;
};

// A heap of zero-filled malloc blocks that counts its calls and can be told to fail.
class FakeHeap final : public platform::Heap {
  public:
    FakeHeap() = default;
    FakeHeap(const FakeHeap&) = delete;
    FakeHeap& operator=(const FakeHeap&) = delete;
    ~FakeHeap() override {
        for (auto& [block, size] : blocks_) std::free(block);
    }

    void* Alloc(void* heap, std::size_t bytes) override {
        ++allocs;
        lastHeap = heap;
        if (failAlloc) return nullptr;
        void* block = std::calloc(bytes == 0 ? 1 : bytes, 1);
        if (block != nullptr) blocks_[block] = bytes;
        return block;
    }
    void* ReAlloc(void* heap, void* block, std::size_t bytes) override {
        lastHeap = heap;
        const auto it = blocks_.find(block);
        if (failAlloc || it == blocks_.end()) return nullptr;
        const std::size_t old = it->second;
        void* grown = std::realloc(block, bytes == 0 ? 1 : bytes);
        if (grown == nullptr) return nullptr;
        blocks_.erase(it);
        if (bytes > old) std::memset(static_cast<unsigned char*>(grown) + old, 0, bytes - old);
        blocks_[grown] = bytes;
        return grown;
    }
    void Free(void* heap, void* block) override {
        lastHeap = heap;
        const auto it = blocks_.find(block);
        if (it == blocks_.end()) return;
        blocks_.erase(it);
        std::free(block);
    }

    // Blocks handed out and not yet freed (of one size, when given).
    std::size_t live() const { return blocks_.size(); }
    std::size_t liveOfSize(std::size_t bytes) const {
        std::size_t n = 0;
        for (const auto& [block, size] : blocks_) n += size == bytes ? 1 : 0;
        return n;
    }

    bool failAlloc = false;
    int allocs = 0;
    void* lastHeap = nullptr;

  private:
    std::map<void*, std::size_t> blocks_;
};

// The print spooler of one installed driver: level-2 driver information built into the
// caller's buffer the way the spooler does (strings after the structure, inside the buffer),
// the driver directory and a printer-data store. Calls are counted.
class FakeSpooler final : public platform::Spooler {
  public:
    static constexpr std::uint32_t kErrorFileNotFound = platform::kErrorFileNotFound;
    static constexpr std::uint32_t kErrorInsufficientBuffer = platform::kErrorInsufficientBuffer;
    static constexpr std::uint32_t kErrorInvalidLevel = platform::kErrorInvalidLevel;
    static constexpr std::uint32_t kErrorMoreData = platform::kErrorMoreData;
    static constexpr std::uint32_t kErrorUnknownPrinterDriver =
        platform::kErrorUnknownPrinterDriver;

    struct Data {
        std::uint32_t type = 0;
        std::vector<unsigned char> bytes;
    };

    std::uint32_t ReadDriverInfo(void* printer, std::uint32_t level, void* buffer,
                                 std::uint32_t bytes, std::uint32_t* needed) override {
        ++driverQueries;
        lastPrinter = printer;
        if (needed != nullptr) *needed = 0;
        if (driverMissing) return kErrorUnknownPrinterDriver;
        if (level != 2) return kErrorInvalidLevel;
        const std::u16string* strings[] = {&driverName, &environment, &driverPath, &dataFile,
                                           &configFile};
        std::size_t size = sizeof(host::DRIVER_INFO_2W);
        for (const std::u16string* s : strings) size += (s->size() + 1) * sizeof(char16_t);
        if (needed != nullptr) *needed = static_cast<std::uint32_t>(size);
        if (buffer == nullptr || bytes < size) return kErrorInsufficientBuffer;

        auto* base = static_cast<unsigned char*>(buffer);
        std::size_t at = sizeof(host::DRIVER_INFO_2W);
        char16_t* placed[5] = {};
        for (std::size_t i = 0; i < 5; ++i) {
            placed[i] = reinterpret_cast<char16_t*>(base + at);
            const std::size_t n = (strings[i]->size() + 1) * sizeof(char16_t);
            std::memcpy(base + at, strings[i]->c_str(), n);
            at += n;
        }
        host::DRIVER_INFO_2W info{};
        info.cVersion = 3;
        info.pName = placed[0];
        info.pEnvironment = placed[1];
        info.pDriverPath = placed[2];
        info.pDataFile = placed[3];
        info.pConfigFile = placed[4];
        std::memcpy(base, &info, sizeof info);
        ++driverAnswers;
        return 0;
    }

    std::uint32_t DriverDirectory(char16_t* buffer, std::uint32_t units) override {
        ++directoryQueries;
        if (buffer == nullptr || units < driverDirectory.size() + 1)
            return kErrorInsufficientBuffer;
        std::memcpy(buffer, driverDirectory.c_str(), (driverDirectory.size() + 1) * 2);
        return 0;
    }

    std::uint32_t ReadPrinterData(void* printer, std::u16string_view name, std::uint32_t* type,
                                  void* data, std::uint32_t bytes, std::uint32_t* needed) override {
        ++dataReads;
        lastPrinter = printer;
        const auto it = printerData.find(FakeRegistry::Lower(name));
        if (it == printerData.end()) return kErrorFileNotFound;
        const auto size = static_cast<std::uint32_t>(it->second.bytes.size());
        if (type != nullptr) *type = it->second.type;
        if (needed != nullptr) *needed = size;
        if (data == nullptr || bytes < size) return kErrorMoreData;
        std::memcpy(data, it->second.bytes.data(), size);
        return 0;
    }

    std::uint32_t WritePrinterData(void* printer, std::u16string_view name, std::uint32_t type,
                                   const void* data, std::uint32_t bytes) override {
        ++dataWrites;
        lastPrinter = printer;
        Data& d = printerData[FakeRegistry::Lower(name)];
        d.type = type;
        const auto* p = static_cast<const unsigned char*>(data);
        d.bytes.assign(p, p + (p != nullptr ? bytes : 0));
        return 0;
    }

    std::uint32_t PortName(void*, std::u16string* port) override {
        ++portQueries;
        if (portMissing || port == nullptr) return kErrorInvalidLevel;
        *port = portName;
        return 0;
    }
    std::uint32_t ReadForm(void* printer, std::u16string_view name, std::uint32_t* flags,
                           std::uint32_t* width, std::uint32_t* height) override {
        lastPrinter = printer;
        const auto it = forms.find(std::u16string(name));
        if (it == forms.end()) return 1902;  // ERROR_INVALID_FORM_NAME
        if (flags != nullptr) *flags = it->second.flags;
        if (width != nullptr) *width = it->second.width;
        if (height != nullptr) *height = it->second.height;
        return 0;
    }
    struct Form {
        std::uint32_t flags;  // 0 user-defined, 1 built-in, 2 printer
        std::uint32_t width;
        std::uint32_t height;
    };

    // Test helpers.
    void SetDword(std::u16string_view name, std::uint32_t value) {
        WritePrinterData(nullptr, name, platform::kRegDword, &value, sizeof value);
        --dataWrites;
    }
    void SetString(std::u16string_view name, std::u16string_view s) {
        const std::u16string terminated(s);
        WritePrinterData(nullptr, name, platform::kRegSz, terminated.c_str(),
                         static_cast<std::uint32_t>((terminated.size() + 1) * 2));
        --dataWrites;
    }

    std::u16string driverName = u"Corvel PS";
    std::u16string environment = u"Windows x64";
    std::u16string driverPath = u"C:\\Drivers\\3\\PSCRIPT5.DLL";
    std::u16string dataFile = u"C:\\Drivers\\3\\CVL.PPD";
    std::u16string configFile = u"C:\\Drivers\\3\\PS5UI.DLL";
    std::u16string driverDirectory = u"C:\\Drivers";
    bool driverMissing = false;
    std::map<std::u16string, Data> printerData;  // by lower-case name
    std::u16string portName = u"IP_10.0.0.5";
    bool portMissing = false;
    std::map<std::u16string, Form> forms = {{u"A4", {1, 210000, 297000}},
                                            {u"Letter", {1, 215900, 279400}}};
    int portQueries = 0;

    int driverQueries = 0;  // GetPrinterDriver calls, the sizing calls included
    int driverAnswers = 0;  // calls that returned the driver information
    int directoryQueries = 0;
    int dataReads = 0;
    int dataWrites = 0;
    void* lastPrinter = nullptr;
};

class FakeSystemInfo final : public platform::SystemInfo {
  public:
    std::uint16_t UserDefaultLangId() const override { return userLangId; }
    std::uint16_t SystemDefaultLangId() const override { return systemLangId; }
    std::uint32_t WindowsMajorVersion() const override { return windowsMajor; }
    std::uint32_t CurrentThreadId() const override { return threadId; }
    std::u16string SystemDirectory() const override { return systemDirectory; }
    std::u16string ExpandEnvironment(std::u16string_view text) const override {
        return std::u16string(text);
    }

    std::u16string UserName(std::uint32_t units) const override {
        return userName.size() < units ? userName : std::u16string();
    }
    void SystemTime(std::uint16_t (&fields)[8]) const override {
        for (int i = 0; i < 8; ++i) fields[i] = now[i];
    }

    // One byte per character: what the test machine's ANSI code page makes of ASCII text;
    // anything else becomes "?".
    std::string ToAnsi(std::u16string_view text, std::size_t maxBytes) const override {
        std::string out;
        for (char16_t c : text) {
            if (out.size() == maxBytes) break;
            out.push_back(c < 0x80 ? static_cast<char>(c) : '?');
        }
        return out;
    }

    std::u16string userName = u"jdoe";
    std::uint16_t now[8] = {2024, 3, 2, 5, 9, 15, 30, 500};  // Tuesday 5 March 2024, 09:15:30
    std::uint16_t userLangId = 0x0409;
    std::uint16_t systemLangId = 0x0409;
    std::uint32_t windowsMajor = 10;
    std::uint32_t threadId = 1;
    std::u16string systemDirectory = u"C:\\windows\\system32";
};

// Host names by table.
class FakeNameService final : public platform::NameService {
  public:
    std::vector<std::array<std::uint8_t, 4>> Resolve(std::string_view hostName) override {
        asked.emplace_back(hostName);
        const auto it = hosts.find(std::string(hostName));
        return it != hosts.end() ? it->second : std::vector<std::array<std::uint8_t, 4>>{};
    }
    std::map<std::string, std::vector<std::array<std::uint8_t, 4>>> hosts;
    std::vector<std::string> asked;
};

// Libraries by full path: each known path loads, with the exports it names.
class FakeModuleLoader final : public platform::ModuleLoader {
  public:
    struct Library {
        std::map<std::string, void*> exports;
        int loaded = 0;  // libraries of this path alive now
    };
    std::unique_ptr<platform::LoadedModule> Load(std::u16string_view fullPath) override {
        loads.emplace_back(fullPath);
        const auto it = libraries.find(std::u16string(fullPath));
        if (it == libraries.end()) return nullptr;
        return std::make_unique<Loaded>(it->second);
    }

    std::map<std::u16string, Library> libraries;
    std::vector<std::u16string> loads;  // every path asked for, in order

  private:
    class Loaded final : public platform::LoadedModule {
      public:
        explicit Loaded(Library& library) : library_(library) { ++library_.loaded; }
        ~Loaded() override { --library_.loaded; }
        void* Find(const char* name) override {
            const auto it = library_.exports.find(name != nullptr ? name : "");
            return it == library_.exports.end() ? nullptr : it->second;
        }
        void* FindOrdinal(std::uint16_t) override { return nullptr; }

      private:
        Library& library_;
    };
};

// The host's sheet as the Win32 adapter would describe pages to it: each page is kept with
// its presenter factory; the answers count up from 0x501.
class FakePages final : public platform::SheetPages {
  public:
    struct Page {
        int templateId;
        std::u16string title;
        platform::PresenterFactory factory;
        void* function;
        void* sheet;
    };
    std::intptr_t AddPage(void* function, void* sheet, int templateId, std::u16string_view title,
                          platform::PresenterFactory factory) override {
        added.push_back({templateId, std::u16string(title), std::move(factory), function, sheet});
        return answer++;
    }
    std::vector<Page> added;
    std::intptr_t answer = 0x501;
};

// Modal dialogs: the presenter's OnInit runs against `controls`, then `drive` plays the
// user; the result is what the presenter ended the dialog with.
class FakeDialogs final : public platform::Dialogs {
  public:
    std::intptr_t RunModal(int templateId, void* owner, ui::Presenter& presenter) override {
        runs.push_back({templateId, owner});
        if (controls == nullptr) return -1;
        presenter.OnInit(*controls);
        if (drive) drive(presenter);
        return result;
    }
    int MessageBox(void* owner, std::u16string_view text, std::u16string_view caption,
                   std::uint32_t flags) override {
        messages.push_back({owner, std::u16string(caption) + u": " + std::u16string(text), flags});
        return messageAnswer;
    }
    struct Run {
        int templateId;
        void* owner;
    };
    struct Message {
        void* owner;
        std::u16string text;  // "caption: text"
        std::uint32_t flags;
    };
    std::vector<Run> runs;
    std::vector<Message> messages;
    int messageAnswer = 1;
    ui::Controls* controls = nullptr;
    std::function<void(ui::Presenter&)> drive;
    std::intptr_t result = 1;
};

// Raw jobs: each job started is kept with the bytes the spooler took; the owner ends it.
// Writes take at most `chunk` bytes; the n-th write (from 1) can be made to fail; ending a
// job can set a last-error code of its own, as ending a document on a real spooler may.
class FakeRawJobs final : public platform::RawJobs {
  public:
    struct Job {
        void* printer = nullptr;
        std::u16string document;
        std::u16string outputFile;
        std::string bytes;
        bool ended = false;
    };
    std::unique_ptr<platform::RawJob> Start(void* printer, std::u16string_view document,
                                            std::u16string_view outputFile,
                                            std::uint32_t* error) override {
        if (startError != 0) {
            if (error != nullptr) *error = startError;
            return nullptr;
        }
        jobs.push_back({printer, std::u16string(document), std::u16string(outputFile), {}, false});
        return std::make_unique<Open>(*this, jobs.size() - 1);
    }

    std::vector<Job> jobs;
    std::uint32_t startError = 0;
    std::uint32_t chunk = 0xFFFFFFFF;
    int failWriteAt = 0;
    std::uint32_t failedWriteCount = 0;  // the count a failing write still reports
    platform::LastError* lastError = nullptr;
    std::uint32_t endError = 0;  // set as the last error when a job ends (with lastError)
    int writes = 0;

  private:
    class Open final : public platform::RawJob {
      public:
        Open(FakeRawJobs& owner, std::size_t index) : owner_(owner), index_(index) {}
        ~Open() override {
            owner_.jobs[index_].ended = true;
            if (owner_.lastError != nullptr) owner_.lastError->Set(owner_.endError);
        }
        bool Write(const void* bytes, std::uint32_t length, std::uint32_t* written) override {
            if (++owner_.writes == owner_.failWriteAt) {
                *written = owner_.failedWriteCount;
                return false;
            }
            const std::uint32_t n = std::min(length, owner_.chunk);
            owner_.jobs[index_].bytes.append(static_cast<const char*>(bytes), n);
            *written = n;
            return n != 0;
        }

      private:
        FakeRawJobs& owner_;
        std::size_t index_;
    };
};

// The shell: every address opened and program started is recorded.
class FakeShell final : public platform::Shell {
  public:
    std::intptr_t Open(std::u16string_view address, int show) override {
        opened.emplace_back(address);
        lastShow = show;
        return openAnswer;
    }
    std::intptr_t OpenWith(std::u16string_view program, std::u16string_view parameter,
                           int show) override {
        started.push_back(std::u16string(program) + u" " + std::u16string(parameter));
        lastShow = show;
        return 42;
    }
    std::vector<std::u16string> opened;
    std::vector<std::u16string> started;  // "program parameter"
    std::intptr_t openAnswer = 42;        // above 32: the shell could open it
    int lastShow = -1;
};

// Compiled help: every call is recorded; the viewer's answer is `answer`.
class FakeHelp final : public platform::HelpService {
  public:
    void* HtmlHelp(void* owner, const char16_t* address, std::uint32_t command,
                   std::uintptr_t) override {
        addresses.emplace_back(address != nullptr ? address : u"");
        owners.push_back(owner);
        commands.push_back(command);
        return answer;
    }
    std::vector<std::u16string> addresses;
    std::vector<void*> owners;
    std::vector<std::uint32_t> commands;
    void* answer = reinterpret_cast<void*>(0x4E1F);
};

// All fakes together, wired into a platform::Platform.
struct FakePlatform {
    FakeLastError lastError;
    FakeRegistry registry;
    FakeModule module;
    FakeModuleLoader modules;
    FakeHeap heap;
    FakeSpooler spooler;
    FakeNameService names;
    FakeSystemInfo system;
    FakeRawJobs rawJobs;
    FakeShell shell;
    platform::Platform ports(platform::ProfileFiles* profiles = nullptr) {
        platform::Platform p;
        p.profiles = profiles;
        p.lastError = &lastError;
        p.registry = &registry;
        p.module = &module;
        p.modules = &modules;
        p.heap = &heap;
        p.spooler = &spooler;
        p.names = &names;
        p.system = &system;
        p.rawJobs = &rawJobs;
        p.shell = &shell;
        return p;
    }
};

}  // namespace fakes
