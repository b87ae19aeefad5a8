// SPDX-License-Identifier: GPL-3.0-or-later
// A window's parts through UI Automation's provider interfaces, as Narrator and NVDA reach them:
// the fragment tree, names, control types and screen bounds, the patterns, and a press that
// comes back as the program's event. The provider is asked directly: Wine's UI Automation
// neither hands a window's provider out through WM_GETOBJECT nor walks a server's fragments.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>

#include "platform/accessibility.h"
#include "platform/events.h"
#include "platform/process.h"
#include "platform/timers.h"
#include "platform/win32/uia_patterns.h"
#include "platform/win32/win32_control.h"
#include "platform/windows.h"


namespace {

using Role = AccessibleRole;

std::vector<AccessibleNode> Parts(bool withButton) {
  std::vector<AccessibleNode> nodes;
  if (withButton) nodes.push_back({1, 0, Role::kButton, u"Seven", u"", 0, 0, 10, 20, 30, 40});
  nodes.push_back({2, 0, Role::kRadioButton, u"Degrees", u"", 0, 0, 40, 20, 30, 10, true});
  nodes.push_back({3, 0, Role::kTextLine, u"Expression", u"2×3", 3, 3, 0, 0, 100, 12, false, true});
  nodes.push_back({4, 0, Role::kList, u"History", u"", 0, 0, 0, 60, 100, 20});
  nodes.push_back({5, 4, Role::kListItem, u"7+8, 15", u"", 0, 0, 0, 60, 100, 20});
  return nodes;
}

template <typename Interface>
Interface* As(IUnknown* object, const IID& iid) {
  void* found = nullptr;
  return object != nullptr && SUCCEEDED(object->QueryInterface(iid, &found)) ? static_cast<Interface*>(found) : nullptr;
}

IRawElementProviderFragment* Go(IRawElementProviderFragment* from, NavigateDirection direction) {
  IRawElementProviderFragment* to = nullptr;
  EXPECT_EQ(from->Navigate(direction, &to), S_OK);
  return to;
}

std::u16string Name(IUnknown* part) {
  IRawElementProviderSimple* simple = As<IRawElementProviderSimple>(part, IID_IRawElementProviderSimple);
  VARIANT v;
  simple->GetPropertyValue(UIA_NamePropertyId, &v);
  simple->Release();
  std::u16string name = v.vt == VT_BSTR ? std::u16string(reinterpret_cast<const char16_t*>(v.bstrVal)) : u"";
  VariantClear(&v);
  return name;
}

int32_t ControlType(IUnknown* part) {
  IRawElementProviderSimple* simple = As<IRawElementProviderSimple>(part, IID_IRawElementProviderSimple);
  VARIANT v;
  simple->GetPropertyValue(UIA_ControlTypePropertyId, &v);
  simple->Release();
  return v.vt == VT_I4 ? v.lVal : -1;
}

TEST(Win32Accessibility, TheFragmentTreeItsPatternsAndAPress) {
  ASSERT_TRUE(StartPlatform());
  const WindowHandle window = OpenWindow({u"Test", 50, 60, 120, 80});
  ASSERT_NE(window, 0);
  EXPECT_EQ(AccessibleRootProvider(window), nullptr);
  SetAccessibleNodes(window, Parts(true));
  IRawElementProviderSimple* root = AccessibleRootProvider(window);
  ASSERT_NE(root, nullptr);

  IRawElementProviderFragment* top = As<IRawElementProviderFragment>(root, IID_IRawElementProviderFragment);
  ASSERT_NE(top, nullptr);
  // Top-level parts in order, with their names and control types.
  const std::pair<std::u16string, int32_t> expected[] = {
      {u"Seven", kButtonControl}, {u"Degrees", kRadioButtonControl}, {u"Expression", kEditControl}, {u"History", kListControl}};
  IRawElementProviderFragment* part = Go(top, NavigateDirection_FirstChild);
  std::vector<IRawElementProviderFragment*> found;
  for (const auto& [name, control] : expected) {
    ASSERT_NE(part, nullptr) << "no part named " << std::string(name.begin(), name.end());
    EXPECT_EQ(Name(part), name);
    EXPECT_EQ(ControlType(part), control);
    found.push_back(part);
    part = Go(part, NavigateDirection_NextSibling);
  }
  EXPECT_EQ(part, nullptr);
  IRawElementProviderFragment* item = Go(found[3], NavigateDirection_FirstChild);
  ASSERT_NE(item, nullptr);
  EXPECT_EQ(Name(item), u"7+8, 15");
  EXPECT_EQ(ControlType(item), kListItemControl);
  IRawElementProviderFragment* list = Go(item, NavigateDirection_Parent);
  EXPECT_EQ(Name(list), u"History");

  // Bounds on the screen: the window's place plus the part's box.
  UiaRect box{};
  EXPECT_EQ(found[0]->get_BoundingRectangle(&box), S_OK);
  EXPECT_EQ(box.left, 60);
  EXPECT_EQ(box.top, 80);
  EXPECT_EQ(box.width, 30);
  EXPECT_EQ(box.height, 40);
  IRawElementProviderFragmentRoot* fragmentRoot = As<IRawElementProviderFragmentRoot>(root, IID_IRawElementProviderFragmentRoot);
  ASSERT_NE(fragmentRoot, nullptr);
  IRawElementProviderFragment* hit = nullptr;
  fragmentRoot->ElementProviderFromPoint(75, 100, &hit);
  EXPECT_EQ(Name(hit), u"Seven");
  IRawElementProviderFragment* focus = nullptr;
  fragmentRoot->GetFocus(&focus);
  EXPECT_EQ(Name(focus), u"Expression");

  // The patterns each kind of part has, and no other.
  ISelectionItemProvider* radio = As<ISelectionItemProvider>(found[1], kSelectionItemProviderId);
  ASSERT_NE(radio, nullptr);
  BOOL selected = FALSE;
  radio->get_IsSelected(&selected);
  EXPECT_TRUE(selected);
  IValueProvider* line = As<IValueProvider>(found[2], kValueProviderId);
  ASSERT_NE(line, nullptr);
  BSTR value = nullptr;
  line->get_Value(&value);
  EXPECT_EQ(std::u16string(reinterpret_cast<const char16_t*>(value)), u"2×3");
  SysFreeString(value);
  EXPECT_EQ(As<IInvokeProvider>(found[2], kInvokeProviderId), nullptr);
  EXPECT_EQ(As<IValueProvider>(found[0], kValueProviderId), nullptr);

  // A press is the program's event, as a click would be.
  IInvokeProvider* button = As<IInvokeProvider>(found[0], kInvokeProviderId);
  ASSERT_NE(button, nullptr);
  EXPECT_EQ(button->Invoke(), S_OK);
  Event event;
  for (int64_t end = ClockMs() + 1000; ClockMs() < end && event.code != kEventAccessibleAction;)
    event = WaitForEvent(int32_t(end - ClockMs()));
  EXPECT_EQ(event.code, kEventAccessibleAction);
  EXPECT_EQ(event.window, window);
  EXPECT_EQ(event.parameter, 1u);

  // A part that went answers that it is gone; the others stay.
  SetAccessibleNodes(window, Parts(false));
  EXPECT_EQ(button->Invoke(), kElementNotAvailable);
  EXPECT_EQ(Name(found[1]), u"Degrees");
  IRawElementProviderFragment* first = Go(top, NavigateDirection_FirstChild);
  EXPECT_EQ(Name(first), u"Degrees");

  for (IUnknown* held : std::initializer_list<IUnknown*>{item, list, hit, focus, radio, line, button, first, fragmentRoot, top, root})
    held->Release();
  for (IUnknown* held : found) held->Release();
  CloseWindow(window);
  StopPlatform();
}

}  // namespace
