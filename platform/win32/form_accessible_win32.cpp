// What a screen reader reads for a control whose window text does not say
// it (an image): the model's accessible name and description, answered
// through the standard accessibility interface. The control's window is
// subclassed to answer WM_GETOBJECT with the system's own accessible object
// for it, wrapped so that the name and the description are the model's.
// oleacc, oleaut32 and ole32 are loaded only when something asks.
#include <oleacc.h>

#include <cstring>

#include "platform/win32/form_window_win32.h"

namespace platform::win32 {
namespace {

// IID_IAccessible, written out so that no import library is needed.
const IID kIidAccessible = {0x618736e0, 0x3c3d, 0x11cf, {0x81, 0x0c, 0x00, 0xaa, 0x00, 0x38, 0x9b, 0x71}};
const IID kIidDispatch = {0x00020400, 0x0000, 0x0000, {0xc0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};
const IID kIidUnknown = {0x00000000, 0x0000, 0x0000, {0xc0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};

const char* const kSubclassProp = "ZantrixAccessible";

using CreateStdFn = HRESULT(WINAPI*)(HWND, LONG, REFIID, void**);
using LresultFn = LRESULT(WINAPI*)(REFIID, WPARAM, LPUNKNOWN);
using AllocStringFn = BSTR(WINAPI*)(const OLECHAR*);

bool IsSelf(const VARIANT& child) { return child.vt == VT_I4 && child.lVal == CHILDID_SELF; }

// The system's object for the window, with the model's name and
// description for the control itself.
class NamedAccessible final : public IAccessible {
 public:
  // `inner` may be null where the system has no standard object (64-bit
  // Wine has none): then the control is answered for as an image alone.
  NamedAccessible(HWND hwnd, IAccessible* inner, std::wstring name, std::wstring description)
      : hwnd_(hwnd), inner_(inner), name_(std::move(name)), description_(std::move(description)) {}

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** out) override {
    if (!out) return E_POINTER;
    if (IsEqualIID(riid, kIidUnknown) || IsEqualIID(riid, kIidDispatch) ||
        IsEqualIID(riid, kIidAccessible)) {
      *out = static_cast<IAccessible*>(this);
      AddRef();
      return S_OK;
    }
    *out = nullptr;
    return E_NOINTERFACE;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return InterlockedIncrement(&refs_); }
  ULONG STDMETHODCALLTYPE Release() override {
    const LONG left = InterlockedDecrement(&refs_);
    if (left == 0) {
      if (inner_) inner_->Release();
      delete this;
    }
    return static_cast<ULONG>(left);
  }

  HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* n) override { return !inner_ ? E_NOTIMPL : inner_->GetTypeInfoCount(n); }
  HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT i, LCID l, ITypeInfo** t) override {
    return !inner_ ? E_NOTIMPL : inner_->GetTypeInfo(i, l, t);
  }
  HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID r, LPOLESTR* n, UINT c, LCID l, DISPID* d) override {
    return !inner_ ? E_NOTIMPL : inner_->GetIDsOfNames(r, n, c, l, d);
  }
  HRESULT STDMETHODCALLTYPE Invoke(DISPID d, REFIID r, LCID l, WORD f, DISPPARAMS* p, VARIANT* v,
                                   EXCEPINFO* e, UINT* a) override {
    return !inner_ ? E_NOTIMPL : inner_->Invoke(d, r, l, f, p, v, e, a);
  }

  HRESULT STDMETHODCALLTYPE get_accName(VARIANT child, BSTR* name) override {
    if ((IsSelf(child) && !name_.empty()) || !inner_) return Answer(name_, name);
    return inner_->get_accName(child, name);
  }
  HRESULT STDMETHODCALLTYPE get_accDescription(VARIANT child, BSTR* description) override {
    if ((IsSelf(child) && !description_.empty()) || !inner_) return Answer(description_, description);
    return inner_->get_accDescription(child, description);
  }

  HRESULT STDMETHODCALLTYPE get_accParent(IDispatch** p) override {
    if (inner_) return inner_->get_accParent(p);
    if (p) *p = nullptr;
    return S_FALSE;
  }
  HRESULT STDMETHODCALLTYPE get_accChildCount(long* n) override {
    if (inner_) return inner_->get_accChildCount(n);
    if (n) *n = 0;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE get_accChild(VARIANT c, IDispatch** d) override { return !inner_ ? E_NOTIMPL : inner_->get_accChild(c, d); }
  HRESULT STDMETHODCALLTYPE get_accValue(VARIANT c, BSTR* v) override { return !inner_ ? E_NOTIMPL : inner_->get_accValue(c, v); }
  HRESULT STDMETHODCALLTYPE get_accRole(VARIANT c, VARIANT* r) override {
    if (inner_) return inner_->get_accRole(c, r);
    return Number(c, ROLE_SYSTEM_GRAPHIC, r);
  }
  HRESULT STDMETHODCALLTYPE get_accState(VARIANT c, VARIANT* s) override {
    if (inner_) return inner_->get_accState(c, s);
    return Number(c, STATE_SYSTEM_READONLY | (IsWindowVisible(hwnd_) ? 0 : STATE_SYSTEM_INVISIBLE), s);
  }
  HRESULT STDMETHODCALLTYPE get_accHelp(VARIANT c, BSTR* h) override { return !inner_ ? E_NOTIMPL : inner_->get_accHelp(c, h); }
  HRESULT STDMETHODCALLTYPE get_accHelpTopic(BSTR* f, VARIANT c, long* t) override {
    return !inner_ ? E_NOTIMPL : inner_->get_accHelpTopic(f, c, t);
  }
  HRESULT STDMETHODCALLTYPE get_accKeyboardShortcut(VARIANT c, BSTR* k) override {
    return !inner_ ? E_NOTIMPL : inner_->get_accKeyboardShortcut(c, k);
  }
  HRESULT STDMETHODCALLTYPE get_accFocus(VARIANT* c) override { return !inner_ ? E_NOTIMPL : inner_->get_accFocus(c); }
  HRESULT STDMETHODCALLTYPE get_accSelection(VARIANT* c) override { return !inner_ ? E_NOTIMPL : inner_->get_accSelection(c); }
  HRESULT STDMETHODCALLTYPE get_accDefaultAction(VARIANT c, BSTR* a) override {
    return !inner_ ? E_NOTIMPL : inner_->get_accDefaultAction(c, a);
  }
  HRESULT STDMETHODCALLTYPE accSelect(long f, VARIANT c) override { return !inner_ ? E_NOTIMPL : inner_->accSelect(f, c); }
  HRESULT STDMETHODCALLTYPE accLocation(long* x, long* y, long* w, long* h, VARIANT c) override {
    if (inner_) return inner_->accLocation(x, y, w, h, c);
    RECT r;
    if (!IsSelf(c) || !x || !y || !w || !h || !GetWindowRect(hwnd_, &r)) return E_INVALIDARG;
    *x = r.left, *y = r.top, *w = r.right - r.left, *h = r.bottom - r.top;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE accNavigate(long d, VARIANT s, VARIANT* e) override {
    return !inner_ ? E_NOTIMPL : inner_->accNavigate(d, s, e);
  }
  HRESULT STDMETHODCALLTYPE accHitTest(long x, long y, VARIANT* c) override {
    return !inner_ ? E_NOTIMPL : inner_->accHitTest(x, y, c);
  }
  HRESULT STDMETHODCALLTYPE accDoDefaultAction(VARIANT c) override { return !inner_ ? E_NOTIMPL : inner_->accDoDefaultAction(c); }
  HRESULT STDMETHODCALLTYPE put_accName(VARIANT c, BSTR n) override { return !inner_ ? E_NOTIMPL : inner_->put_accName(c, n); }
  HRESULT STDMETHODCALLTYPE put_accValue(VARIANT c, BSTR v) override { return !inner_ ? E_NOTIMPL : inner_->put_accValue(c, v); }

 private:
  static HRESULT Answer(const std::wstring& text, BSTR* out) {
    static const auto alloc = SystemFunction<AllocStringFn>("oleaut32.dll", "SysAllocString");
    if (!out) return E_POINTER;
    *out = alloc ? alloc(text.c_str()) : nullptr;
    return *out ? S_OK : E_OUTOFMEMORY;
  }

  static HRESULT Number(const VARIANT& child, long value, VARIANT* out) {
    if (!IsSelf(child) || !out) return E_INVALIDARG;
    VariantInitLocal(out);
    out->vt = VT_I4;
    out->lVal = value;
    return S_OK;
  }
  static void VariantInitLocal(VARIANT* v) { std::memset(v, 0, sizeof *v); }

  LONG refs_ = 1;
  HWND hwnd_;
  IAccessible* inner_;
  std::wstring name_, description_;
};

// The texts of a subclassed control, found through a window property.
struct AccessibleTexts {
  WNDPROC original = nullptr;
  std::wstring name, description;
};

LRESULT AnswerGetObject(HWND hwnd, const AccessibleTexts& texts, WPARAM wParam) {
  static const auto createStd = SystemFunction<CreateStdFn>("oleacc.dll", "CreateStdAccessibleObject");
  static const auto lresult = SystemFunction<LresultFn>("oleacc.dll", "LresultFromObject");
  // Handing the object out marshals it, which needs this thread in COM.
  if (!lresult || !InitializeCom()) return 0;
  IAccessible* inner = nullptr;
  if (!createStd || FAILED(createStd(hwnd, OBJID_CLIENT, kIidAccessible, reinterpret_cast<void**>(&inner))))
    inner = nullptr;
  auto* named = new NamedAccessible(hwnd, inner, texts.name, texts.description);
  const LRESULT result = lresult(kIidAccessible, wParam, named);
  named->Release();
  return result;
}

LRESULT CALLBACK AccessibleProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  auto* texts = static_cast<AccessibleTexts*>(GetPropA(hwnd, kSubclassProp));
  if (!texts) return DefWindowProcA(hwnd, message, wParam, lParam);
  const WNDPROC original = texts->original;
  if (message == WM_GETOBJECT && static_cast<LONG>(lParam) == OBJID_CLIENT)
    if (const LRESULT answer = AnswerGetObject(hwnd, *texts, wParam)) return answer;
  if (message == WM_NCDESTROY) {
    SetWindowLongPtrA(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(original));
    RemovePropA(hwnd, kSubclassProp);
    delete texts;
  }
  return CallWindowProcA(original, hwnd, message, wParam, lParam);
}

}  // namespace

void FormWin32::ApplyAccessible(const Control& control, const Child& child) {
  const ControlProperties& p = control.Properties();
  auto* texts = static_cast<AccessibleTexts*>(GetPropA(child.hwnd, kSubclassProp));
  if (!texts) {
    if (p.accessibleName.empty() && p.accessibleDescription.empty()) return;
    texts = new AccessibleTexts;
    SetPropA(child.hwnd, kSubclassProp, texts);
    texts->original = reinterpret_cast<WNDPROC>(SetWindowLongPtrA(
        child.hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(AccessibleProc)));
  }
  // Accessible texts are Unicode whatever the code page.
  const std::wstring name = WideFromUtf8(p.accessibleName),
                     description = WideFromUtf8(p.accessibleDescription);
  // A screen reader on the control hears of the change.
  if (name != texts->name)
    NotifyWinEvent(EVENT_OBJECT_NAMECHANGE, child.hwnd, OBJID_CLIENT, CHILDID_SELF);
  if (description != texts->description)
    NotifyWinEvent(EVENT_OBJECT_DESCRIPTIONCHANGE, child.hwnd, OBJID_CLIENT, CHILDID_SELF);
  texts->name = name;
  texts->description = description;
}

}  // namespace platform::win32
