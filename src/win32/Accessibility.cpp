// SPDX-FileCopyrightText: The Ψηφόνομοι contributors
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "Accessibility.h"

#include "Application.h"
#include "DesignLayout.h"

#include <commctrl.h>
#include <oleacc.h>

#include <string>

namespace psifonomoi {

namespace {

// The system's own accessible object of a control, with the answers of a
// TAccessibleOverride over it.
class TOverriddenAccessible final : public IAccessible
{
public:
    TOverriddenAccessible(IAccessible *standard, TAccessibleOverride how)
        : m_standard(standard), m_how(std::move(how))
    {
    }

    // IUnknown
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void **out) override
    {
        if (!out)
            return E_POINTER;
        if (iid == __uuidof(IUnknown) || iid == __uuidof(IDispatch) ||
            iid == __uuidof(IAccessible)) {
            *out = static_cast<IAccessible *>(this);
            AddRef();
            return S_OK;
        }
        return m_standard->QueryInterface(iid, out);
    }
    ULONG STDMETHODCALLTYPE AddRef() override
    {
        return static_cast<ULONG>(InterlockedIncrement(&m_references));
    }
    ULONG STDMETHODCALLTYPE Release() override
    {
        const LONG left = InterlockedDecrement(&m_references);
        if (left == 0) {
            m_standard->Release();
            delete this;
        }
        return static_cast<ULONG>(left);
    }

    // IDispatch
    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT *count) override
    {
        return m_standard->GetTypeInfoCount(count);
    }
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT index, LCID locale, ITypeInfo **info) override
    {
        return m_standard->GetTypeInfo(index, locale, info);
    }
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID iid, LPOLESTR *names, UINT count, LCID locale,
                                            DISPID *ids) override
    {
        return m_standard->GetIDsOfNames(iid, names, count, locale, ids);
    }
    HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID iid, LCID locale, WORD flags,
                                     DISPPARAMS *params, VARIANT *result, EXCEPINFO *exception,
                                     UINT *argument) override
    {
        return m_standard->Invoke(id, iid, locale, flags, params, result, exception, argument);
    }

    // IAccessible: the name is ours, the rest the system's.
    HRESULT STDMETHODCALLTYPE get_accName(VARIANT child, BSTR *name) override
    {
        if (!IsSelf(child) || (m_how.Name.empty() && m_how.NameParts.empty()))
            return m_standard->get_accName(child, name);
        return Answer(name, [this] {
            std::wstring text = m_how.Name;
            for (HWND part : m_how.NameParts)
                text += (text.empty() ? L"" : L" ") + WindowText(part);
            return text;
        });
    }
    HRESULT STDMETHODCALLTYPE get_accDescription(VARIANT child, BSTR *text) override
    {
        if (!IsSelf(child) || !m_how.DescribedBy)
            return m_standard->get_accDescription(child, text);
        return Answer(text, [this] { return WindowText(m_how.DescribedBy); });
    }
    HRESULT STDMETHODCALLTYPE get_accState(VARIANT child, VARIANT *state) override
    {
        const HRESULT result = m_standard->get_accState(child, state);
        if (SUCCEEDED(result) && IsSelf(child) && m_how.Hidden && state->vt == VT_I4)
            state->lVal |= STATE_SYSTEM_INVISIBLE;
        return result;
    }
    HRESULT STDMETHODCALLTYPE get_accParent(IDispatch **parent) override
    {
        return m_standard->get_accParent(parent);
    }
    HRESULT STDMETHODCALLTYPE get_accChildCount(LONG *count) override
    {
        return m_standard->get_accChildCount(count);
    }
    HRESULT STDMETHODCALLTYPE get_accChild(VARIANT child, IDispatch **out) override
    {
        return m_standard->get_accChild(child, out);
    }
    HRESULT STDMETHODCALLTYPE get_accValue(VARIANT child, BSTR *value) override
    {
        return m_standard->get_accValue(child, value);
    }
    HRESULT STDMETHODCALLTYPE get_accRole(VARIANT child, VARIANT *role) override
    {
        return m_standard->get_accRole(child, role);
    }
    HRESULT STDMETHODCALLTYPE get_accHelp(VARIANT child, BSTR *help) override
    {
        return m_standard->get_accHelp(child, help);
    }
    HRESULT STDMETHODCALLTYPE get_accHelpTopic(BSTR *file, VARIANT child, LONG *topic) override
    {
        return m_standard->get_accHelpTopic(file, child, topic);
    }
    HRESULT STDMETHODCALLTYPE get_accKeyboardShortcut(VARIANT child, BSTR *keys) override
    {
        return m_standard->get_accKeyboardShortcut(child, keys);
    }
    HRESULT STDMETHODCALLTYPE get_accFocus(VARIANT *child) override
    {
        return m_standard->get_accFocus(child);
    }
    HRESULT STDMETHODCALLTYPE get_accSelection(VARIANT *children) override
    {
        return m_standard->get_accSelection(children);
    }
    HRESULT STDMETHODCALLTYPE get_accDefaultAction(VARIANT child, BSTR *action) override
    {
        return m_standard->get_accDefaultAction(child, action);
    }
    HRESULT STDMETHODCALLTYPE accSelect(LONG flags, VARIANT child) override
    {
        return m_standard->accSelect(flags, child);
    }
    HRESULT STDMETHODCALLTYPE accLocation(LONG *left, LONG *top, LONG *width, LONG *height,
                                          VARIANT child) override
    {
        return m_standard->accLocation(left, top, width, height, child);
    }
    HRESULT STDMETHODCALLTYPE accNavigate(LONG direction, VARIANT start, VARIANT *end) override
    {
        return m_standard->accNavigate(direction, start, end);
    }
    HRESULT STDMETHODCALLTYPE accHitTest(LONG x, LONG y, VARIANT *child) override
    {
        return m_standard->accHitTest(x, y, child);
    }
    HRESULT STDMETHODCALLTYPE accDoDefaultAction(VARIANT child) override
    {
        return m_standard->accDoDefaultAction(child);
    }
    HRESULT STDMETHODCALLTYPE put_accName(VARIANT child, BSTR name) override
    {
        return m_standard->put_accName(child, name);
    }
    HRESULT STDMETHODCALLTYPE put_accValue(VARIANT child, BSTR value) override
    {
        return m_standard->put_accValue(child, value);
    }

private:
    static bool IsSelf(const VARIANT &child)
    {
        return child.vt == VT_I4 && child.lVal == CHILDID_SELF;
    }
    template <typename Text> static HRESULT Answer(BSTR *out, Text text)
    {
        if (!out)
            return E_POINTER;
        try {
            const std::wstring s = text();
            *out = SysAllocStringLen(s.data(), static_cast<UINT>(s.size()));
        } catch (...) {
            return E_OUTOFMEMORY;
        }
        return *out ? S_OK : E_OUTOFMEMORY;
    }

    LONG m_references = 1;
    IAccessible *m_standard;
    TAccessibleOverride m_how;
};

constexpr wchar_t kOverrideProp[] = L"psifonomoi.accessible";

LRESULT CALLBACK OverrideProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR,
                              DWORD_PTR data)
{
    const auto *how = reinterpret_cast<const TAccessibleOverride *>(data);
    if (message == WM_GETOBJECT && static_cast<LONG>(lParam) == OBJID_CLIENT) {
        LRESULT result = 0;
        RunGuarded([&] {
            IAccessible *standard = nullptr;
            if (FAILED(CreateStdAccessibleObject(window, OBJID_CLIENT, __uuidof(IAccessible),
                                                 reinterpret_cast<void **>(&standard))))
                return;
            auto *overridden = new TOverriddenAccessible(standard, *how);
            result = LresultFromObject(__uuidof(IAccessible), wParam, overridden);
            overridden->Release();
        });
        if (result)
            return result;
    }
    if (message == WM_NCDESTROY) {
        RemoveWindowSubclass(window, OverrideProc, 0);
        RemovePropW(window, kOverrideProp);
        delete how;
    }
    return DefSubclassProc(window, message, wParam, lParam);
}

} // namespace

void OverrideAccessible(HWND control, TAccessibleOverride how)
{
    // A control has one override: a second call replaces the first.
    auto *kept = new TAccessibleOverride(std::move(how));
    if (auto *previous = static_cast<TAccessibleOverride *>(GetPropW(control, kOverrideProp))) {
        *previous = std::move(*kept);
        delete kept;
        return;
    }
    SetPropW(control, kOverrideProp, kept);
    SetWindowSubclass(control, OverrideProc, 0, reinterpret_cast<DWORD_PTR>(kept));
}

std::wstring LayoutAccessibleName(int id)
{
    const wchar_t *name = nullptr;
    const int length =
        LoadStringW(Instance(), static_cast<UINT>(id), reinterpret_cast<LPWSTR>(&name), 0);
    return length > 0 ? std::wstring(name, static_cast<std::size_t>(length)) : std::wstring();
}

void ApplyAccessibleNames(HWND window, const TWindowDesign &design)
{
    HWND before = nullptr;
    for (const TControlDesign &control : design.Controls) {
        const HWND child = GetDlgItem(window, control.Id);
        std::wstring name = LayoutAccessibleName(control.Id);
        if (child && !name.empty())
            OverrideAccessible(child, {std::move(name), {}, nullptr, false});
        // The label it continues is named with the whole sentence; this half
        // read again on its own would start mid-sentence.
        if (child && before && (control.Flags & kFlagContinuesSentence)) {
            OverrideAccessible(before, {{}, {before, child}, nullptr, false});
            OverrideAccessible(child, {{}, {}, nullptr, true});
        }
        before = child;
    }
}

} // namespace psifonomoi
