#include "tree/tree_entry.h"

#include <new>

#include "profile/ui_session.h"

namespace tree {
namespace {

// A working session on the host's plug-in heap for the length of one tree call.
class TreeSession {
  public:
    TreeSession(const platform::Platform& platform, host::HANDLE heap)
        : platform_(platform), heap_(heap) {
        if (platform.heap == nullptr) return;
        void* block = platform.heap->Alloc(heap, sizeof(profile::UiSession));
        if (block != nullptr) session_ = new (block) profile::UiSession{};
    }
    TreeSession(const TreeSession&) = delete;
    TreeSession& operator=(const TreeSession&) = delete;
    ~TreeSession() {
        if (session_ == nullptr) return;
        profile::ReleaseReaders(*session_);
        platform_.heap->Free(heap_, session_);
    }
    profile::UiSession* get() const { return session_; }

  private:
    const platform::Platform& platform_;
    host::HANDLE heap_;
    profile::UiSession* session_ = nullptr;
};

}  // namespace

void DocumentTree(const platform::Platform& platform, host::IPrintOemDriverUI* driverHelper,
                  host::OEMCUIPPARAM& param) {
    // The size query: no items of our own yet.
    if (param.pOEMOptItems == nullptr) {
        param.cOEMOptItems = 0;
        return;
    }
    // The fill call works in a session of its own, released before returning; the items
    // themselves are left as the host passed them.
    TreeSession session(platform, param.hOEMHeap);
    if (session.get() == nullptr) return;
    session.get()->driverHelper = driverHelper;
    profile::CreateTreeSession(platform, param, *session.get());
}

void PrinterTree(const platform::Platform&, host::IPrintOemDriverUI*, host::OEMCUIPPARAM& param) {
    if (param.pOEMOptItems == nullptr) param.cOEMOptItems = 0;
}

}  // namespace tree
