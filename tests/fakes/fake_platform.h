// In-memory fakes of the platform ports for the native tests.
#pragma once

#include <algorithm>
#include <cstring>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "platform/ports.h"

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

    std::unique_ptr<platform::RegistryKey> OpenCurrentUser(std::uint32_t) override {
        ++opens;
        if (refuseOpen) return nullptr;
        return std::make_unique<Key>(&root);
    }

    // Test helpers, with "\"-separated paths from the hive's root.
    Node* Find(std::u16string_view path) { return Walk(&root, path, false); }
    Node* Make(std::u16string_view path) { return Walk(&root, path, true); }
    bool Exists(std::u16string_view path) { return Find(path) != nullptr; }
    void SetString(std::u16string_view path, std::u16string_view name, std::u16string_view s) {
        Value& v = Make(path)->values[Lower(name)];
        v.type = platform::kRegSz;
        v.data.resize((s.size() + 1) * 2);
        std::memcpy(v.data.data(), s.data(), s.size() * 2);
    }

    Node root;
    bool refuseOpen = false;
    int opens = 0;

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
    void* ActivationContext() const override { return context; }
    void* handle = reinterpret_cast<void*>(0x10000000);
    void* context = nullptr;
};

// All fakes together, wired into a platform::Platform.
struct FakePlatform {
    FakeLastError lastError;
    FakeRegistry registry;
    FakeModule module;
    platform::Platform ports() {
        platform::Platform p;
        p.lastError = &lastError;
        p.registry = &registry;
        p.module = &module;
        return p;
    }
};

}  // namespace fakes
