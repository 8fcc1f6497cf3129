// ComObjectBase: the first base of every COM object the library creates. It
// carries the reference count and the one interface the object implements
// besides IUnknown.
//
// Virtual slots: QueryInterface, AddRef, Release, the interface's own
// methods, then the virtual destructor.
#pragma once

#include "platform/base.h"
#include "platform/unknown.h"

template <class Interface>
class ComObjectBase : public Interface {
public:
    ComObjectBase(const ComObjectBase&) = delete;
    ComObjectBase& operator=(const ComObjectBase&) = delete;

    // IUnknown and the stored interface answer with the object itself.
    HRESULT QueryInterface(REFIID riid, void** object) override
    {
        if (object == nullptr) return E_POINTER;
        if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, interfaceId_)) {
            *object = static_cast<Interface*>(this);
            AddRef();
            return S_OK;
        }
        *object = nullptr;
        return E_NOINTERFACE;
    }

    ULONG AddRef() override { return static_cast<ULONG>(InterlockedIncrement(&referenceCount_)); }

    ULONG Release() override
    {
        LONG remaining = InterlockedDecrement(&referenceCount_);
        if (remaining == 0) delete this;
        return static_cast<ULONG>(remaining);
    }

    virtual ~ComObjectBase() = default;

protected:
    // The creator owns the first reference.
    explicit ComObjectBase(REFIID interfaceId) : interfaceId_(interfaceId) {}

private:
    LONG volatile referenceCount_ = 1;
    const IID interfaceId_;
};
