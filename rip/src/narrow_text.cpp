#include "narrow_text.h"

#include <new>

#include "platform/base.h"

HRESULT NarrowText::Assign(const WCHAR* text, int length)
{
    heap_.reset();
    size_ = 0;
    inline_[0] = '\0';
    if (text == nullptr || length < 0) return E_POINTER;
    if (length == 0) return S_OK;
    int needed = WideCharToMultiByte(CP_ACP, 0, text, length, nullptr, 0, nullptr, nullptr);
    if (needed <= 0) return E_FAIL;
    char* target = inline_;
    if (static_cast<size_t>(needed) >= kInlineBytes) {
        heap_.reset(new (std::nothrow) char[static_cast<size_t>(needed) + 1]);
        if (!heap_) return E_OUTOFMEMORY;
        target = heap_.get();
    }
    int written = WideCharToMultiByte(CP_ACP, 0, text, length, target, needed, nullptr, nullptr);
    if (written != needed) {
        heap_.reset();
        inline_[0] = '\0';
        return E_FAIL;
    }
    target[written] = '\0';
    size_ = static_cast<size_t>(written);
    return S_OK;
}
