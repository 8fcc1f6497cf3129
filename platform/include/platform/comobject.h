// ComObject: reference counting and QueryInterface for the platform's own
// COM objects, the host's and the tests' doubles. A class implements one or
// more interfaces and says which identifiers it answers in InterfaceFor.
//
//   class MemoryStream : public ComObject<IStream> {
//       void* InterfaceFor(REFIID riid) override {
//           if (riid == IID_IStream || riid == IID_ISequentialStream) return static_cast<IStream*>(this);
//           return nullptr;
//       }
//   };
//
// IID_IUnknown is always answered, with the first interface. Objects start
// with one reference, owned by their creator; the count is atomic.
#pragma once

#include <atomic>
#include <tuple>

#include "platform/unknown.h"

template <class... Interfaces>
class ComObject : public Interfaces... {
public:
    HRESULT QueryInterface(REFIID riid, void** object) override
    {
        if (object == nullptr) return E_POINTER;
        *object = nullptr;
        void* found = riid == IID_IUnknown ? static_cast<IUnknown*>(static_cast<First*>(this)) : InterfaceFor(riid);
        if (found == nullptr) return E_NOINTERFACE;
        AddRef();
        *object = found;
        return S_OK;
    }
    ULONG AddRef() override { return ++references_; }
    ULONG Release() override
    {
        ULONG remaining = --references_;
        if (remaining == 0) delete this;
        return remaining;
    }

    ComObject(const ComObject&) = delete;
    ComObject& operator=(const ComObject&) = delete;

protected:
    using First = std::tuple_element_t<0, std::tuple<Interfaces...>>;
    ComObject() = default;
    virtual ~ComObject() = default;
    // The interface pointer for riid (other than IID_IUnknown), or null.
    virtual void* InterfaceFor(REFIID riid) = 0;

private:
    std::atomic<ULONG> references_{1};
};

// A counted reference that releases on destruction; the minimal smart pointer
// used by the platform and the host.
template <class T>
class ComPtr {
public:
    ComPtr() = default;
    ComPtr(std::nullptr_t) {}
    // Takes over an existing reference (no AddRef).
    static ComPtr Adopt(T* pointer)
    {
        ComPtr result;
        result.pointer_ = pointer;
        return result;
    }
    // Adds a reference of its own.
    static ComPtr Share(T* pointer)
    {
        if (pointer != nullptr) pointer->AddRef();
        return Adopt(pointer);
    }
    ComPtr(const ComPtr& other) : pointer_(other.pointer_)
    {
        if (pointer_ != nullptr) pointer_->AddRef();
    }
    ComPtr(ComPtr&& other) noexcept : pointer_(other.pointer_) { other.pointer_ = nullptr; }
    ComPtr& operator=(ComPtr other) noexcept
    {
        std::swap(pointer_, other.pointer_);
        return *this;
    }
    ~ComPtr() { Reset(); }

    void Reset()
    {
        if (pointer_ != nullptr) {
            T* old = pointer_;
            pointer_ = nullptr;
            old->Release();
        }
    }
    T* Get() const { return pointer_; }
    T* operator->() const { return pointer_; }
    explicit operator bool() const { return pointer_ != nullptr; }
    // For out arguments: releases the current reference first.
    T** Out()
    {
        Reset();
        return &pointer_;
    }
    void** OutVoid() { return reinterpret_cast<void**>(Out()); }
    // Hands the reference to the caller.
    T* Detach()
    {
        T* pointer = pointer_;
        pointer_ = nullptr;
        return pointer;
    }
    template <class U>
    HRESULT As(REFIID riid, ComPtr<U>* other) const
    {
        if (pointer_ == nullptr) return E_POINTER;
        return pointer_->QueryInterface(riid, other->OutVoid());
    }

private:
    T* pointer_ = nullptr;
};
