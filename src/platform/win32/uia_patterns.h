// SPDX-License-Identifier: GPL-3.0-or-later
// The UI Automation pattern interfaces the parts of a window provide, as the Windows SDK declares
// them; MinGW's headers leave them out.
#pragma once
#include <ole2.h>
#include <uiautomationclient.h>
#include <uiautomationcore.h>

// From uiautomationcoreapi.h, which C++ cannot read (a parameter there is named "new").
inline constexpr LONG kUiaRootObjectId = -25;
inline constexpr int kUiaAppendRuntimeId = 3;

inline constexpr IID kInvokeProviderId = {
    0x54fcb24b, 0xe18e, 0x47a2, {0xb4, 0xd3, 0xec, 0xcb, 0xe7, 0x75, 0x99, 0xa2}};
inline constexpr IID kSelectionItemProviderId = {
    0x2acad808, 0xb2d4, 0x452d, {0xa4, 0x07, 0x91, 0xff, 0x1a, 0xd1, 0x67, 0xb2}};
inline constexpr IID kValueProviderId = {
    0xc7935180, 0x6fb3, 0x4201, {0xb1, 0x74, 0x7d, 0xf7, 0x3a, 0xdb, 0xf6, 0x4a}};

struct IInvokeProvider : IUnknown {
  virtual HRESULT STDMETHODCALLTYPE Invoke() = 0;
};
struct ISelectionItemProvider : IUnknown {
  virtual HRESULT STDMETHODCALLTYPE Select() = 0;
  virtual HRESULT STDMETHODCALLTYPE AddToSelection() = 0;
  virtual HRESULT STDMETHODCALLTYPE RemoveFromSelection() = 0;
  virtual HRESULT STDMETHODCALLTYPE get_IsSelected(BOOL* selected) = 0;
  virtual HRESULT STDMETHODCALLTYPE
  get_SelectionContainer(IRawElementProviderSimple** container) = 0;
};
struct IValueProvider : IUnknown {
  virtual HRESULT STDMETHODCALLTYPE SetValue(LPCWSTR value) = 0;
  virtual HRESULT STDMETHODCALLTYPE get_Value(BSTR* value) = 0;
  virtual HRESULT STDMETHODCALLTYPE get_IsReadOnly(BOOL* readOnly) = 0;
};

// Control types, events and errors the SDK names.
inline constexpr CONTROLTYPEID kButtonControl = 50000, kEditControl = 50004,
                               kListItemControl = 50007, kListControl = 50008,
                               kRadioButtonControl = 50013, kTextControl = 50020;
inline constexpr EVENTID kFocusChangedEvent = 20005, kElementSelectedEvent = 20012;
inline constexpr HRESULT kElementNotAvailable = HRESULT(0x80040201),
                         kInvalidOperation = HRESULT(0x80131509);
