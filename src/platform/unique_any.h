// One small owner template for every resource the plug-in holds: Win32 handles, keys, GDI
// objects, modules, activation contexts and blocks on a heap. The release function is part
// of the type, so each resource is released on every path, exactly once.
#pragma once

#include <utility>

#include "platform/ports.h"

namespace platform {

template <class T, auto Release, T Invalid = T{}>
class UniqueAny {
  public:
    UniqueAny() = default;
    explicit UniqueAny(T value) : value_(value) {}
    UniqueAny(const UniqueAny&) = delete;
    UniqueAny& operator=(const UniqueAny&) = delete;
    UniqueAny(UniqueAny&& other) noexcept : value_(std::exchange(other.value_, Invalid)) {}
    UniqueAny& operator=(UniqueAny&& other) noexcept {
        if (this != &other) reset(std::exchange(other.value_, Invalid));
        return *this;
    }
    ~UniqueAny() { reset(); }

    const T& get() const { return value_; }
    explicit operator bool() const { return !(value_ == Invalid); }
    T release() { return std::exchange(value_, Invalid); }
    void reset(T value = Invalid) {
        T old = std::exchange(value_, value);
        if (!(old == Invalid)) Release(old);
    }
    // For out-parameters of API calls: releases what is held and hands out the slot.
    T* put() {
        reset();
        return &value_;
    }

  private:
    T value_ = Invalid;
};

// A block on a heap of the Heap port (the host's plug-in heap, or the process heap for a
// null handle).
struct HeapBlock {
    Heap* port = nullptr;
    void* heap = nullptr;
    void* block = nullptr;
    friend constexpr bool operator==(const HeapBlock&, const HeapBlock&) = default;
};

inline void FreeHeapBlock(HeapBlock b) {
    if (b.port != nullptr && b.block != nullptr) b.port->Free(b.heap, b.block);
}

using UniqueHeapBlock = UniqueAny<HeapBlock, &FreeHeapBlock>;

}  // namespace platform
