#include "html_document_win.h"

namespace kvt::engine {

HRESULT HtmlDocument::get_title(BSTR* title) {
    if (title == nullptr) {
        return E_POINTER;
    }
    *title = SysAllocStringLen(title_.data(), static_cast<UINT>(title_.size()));
    return S_OK;
}

HRESULT HtmlDocument::put_title(BSTR title) {
    title_ = title == nullptr ? std::wstring() : std::wstring(title, SysStringLen(title));
    return S_OK;
}

}  // namespace kvt::engine
