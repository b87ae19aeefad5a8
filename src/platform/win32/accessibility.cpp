// SPDX-License-Identifier: GPL-3.0-or-later
// The parts of a window for UI Automation, which Narrator and NVDA read: the window answers
// WM_GETOBJECT with a fragment root whose fragments are the parts the program told
// (SetAccessibleNodes), with the Invoke, SelectionItem and Value patterns. UI Automation's
// functions are looked up in uiautomationcore.dll when first needed, so a system without them
// still runs the program, unread.
#include <ole2.h>
#include <oleauto.h>
#include <uiautomationcore.h>

#include <map>
#include <string>
#include <vector>

#include "platform/accessibility.h"
#include "platform/win32/state.h"
#include "platform/win32/uia_patterns.h"
#include "platform/win32/win32_control.h"

using namespace win32backend;

namespace {

// What the SDK's headers name and MinGW's leave out.
constexpr int kChildrenInvalidated = 2;  // StructureChangeType
constexpr int kActionCompleted = 2;      // NotificationKind
constexpr int kImportantAll = 0;         // NotificationProcessing

// UI Automation's functions, from the system's DLL.
struct Uia {
  bool loaded = false;
  LRESULT(WINAPI* returnProvider)(HWND, WPARAM, LPARAM, IRawElementProviderSimple*) = nullptr;
  HRESULT(WINAPI* hostProvider)(HWND, IRawElementProviderSimple**) = nullptr;
  HRESULT(WINAPI* raiseEvent)(IRawElementProviderSimple*, EVENTID) = nullptr;
  HRESULT(WINAPI* raiseProperty)
  (IRawElementProviderSimple*, PROPERTYID, VARIANT, VARIANT) = nullptr;
  HRESULT(WINAPI* raiseStructure)(IRawElementProviderSimple*, int, int*, int) = nullptr;
  HRESULT(WINAPI* raiseNotification)(IRawElementProviderSimple*, int, int, BSTR, BSTR) = nullptr;
  BOOL(WINAPI* clientsListening)() = nullptr;
};

template <typename Function>
void Find(HMODULE dll, const char* name, Function& function) {
  function = reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(dll, name)));
}

const Uia& TheUia() {
  static Uia uia;
  if (!uia.loaded) {
    uia.loaded = true;
    if (HMODULE dll = LoadLibraryW(L"uiautomationcore.dll")) {
      Find(dll, "UiaReturnRawElementProvider", uia.returnProvider);
      Find(dll, "UiaHostProviderFromHwnd", uia.hostProvider);
      Find(dll, "UiaRaiseAutomationEvent", uia.raiseEvent);
      Find(dll, "UiaRaiseAutomationPropertyChangedEvent", uia.raiseProperty);
      Find(dll, "UiaRaiseStructureChangedEvent", uia.raiseStructure);
      Find(dll, "UiaRaiseNotificationEvent", uia.raiseNotification);
      Find(dll, "UiaClientsAreListening", uia.clientsListening);
    }
  }
  return uia;
}

bool ClientsListen() {
  const Uia& uia = TheUia();
  return uia.clientsListening != nullptr && uia.clientsListening();
}

struct Provider;

struct PartsRecord {
  std::vector<AccessibleNode> nodes;
  Provider* root = nullptr;
  std::map<int32_t, Provider*> parts;
};

std::map<WindowHandle, PartsRecord>& Parts() {
  static std::map<WindowHandle, PartsRecord> parts;
  return parts;
}

const AccessibleNode* NodeOf(WindowHandle window, int32_t id) {
  auto it = Parts().find(window);
  return it == Parts().end() ? nullptr : FindAccessibleNode(it->second.nodes, id);
}

std::vector<int32_t> ChildrenOf(WindowHandle window, int32_t parent) {
  auto it = Parts().find(window);
  return it == Parts().end() ? std::vector<int32_t>{}
                             : AccessibleChildren(it->second.nodes, parent);
}

Provider* ProviderOf(WindowHandle window, int32_t id);

VARIANT Variant(bool value) {
  VARIANT v;
  VariantInit(&v);
  v.vt = VT_BOOL;
  v.boolVal = value ? VARIANT_TRUE : VARIANT_FALSE;
  return v;
}

VARIANT Variant(int32_t value) {
  VARIANT v;
  VariantInit(&v);
  v.vt = VT_I4;
  v.lVal = value;
  return v;
}

VARIANT Variant(std::u16string_view text) {
  VARIANT v;
  VariantInit(&v);
  v.vt = VT_BSTR;
  v.bstrVal = SysAllocStringLen(reinterpret_cast<const OLECHAR*>(text.data()), UINT(text.size()));
  return v;
}

// One part of a window (id 0: the window itself, the fragment root), as UI Automation sees it.
// A part the program no longer tells answers that it is not available.
struct Provider final : IRawElementProviderSimple,
                        IRawElementProviderFragment,
                        IRawElementProviderFragmentRoot,
                        IInvokeProvider,
                        ISelectionItemProvider,
                        IValueProvider {
  LONG references = 1;
  WindowHandle window = 0;
  int32_t id = 0;
  bool alive = true;

  Provider(WindowHandle w, int32_t i) : window(w), id(i) {}

  const AccessibleNode* Node() const { return alive ? NodeOf(window, id) : nullptr; }
  bool Gone() const { return !alive || (id != 0 && Node() == nullptr); }

  // IUnknown
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override {
    *object = nullptr;
    const AccessibleNode* node = Node();
    const AccessibleRole role = node ? node->role : AccessibleRole::kLabel;
    if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IRawElementProviderSimple))
      *object = static_cast<IRawElementProviderSimple*>(this);
    else if (IsEqualIID(iid, IID_IRawElementProviderFragment))
      *object = static_cast<IRawElementProviderFragment*>(this);
    else if (IsEqualIID(iid, IID_IRawElementProviderFragmentRoot) && id == 0)
      *object = static_cast<IRawElementProviderFragmentRoot*>(this);
    else if (IsEqualIID(iid, kInvokeProviderId) && node && role == AccessibleRole::kButton)
      *object = static_cast<IInvokeProvider*>(this);
    else if (IsEqualIID(iid, kSelectionItemProviderId) && node &&
             role == AccessibleRole::kRadioButton)
      *object = static_cast<ISelectionItemProvider*>(this);
    else if (IsEqualIID(iid, kValueProviderId) && node && role == AccessibleRole::kTextLine)
      *object = static_cast<IValueProvider*>(this);
    if (*object == nullptr) return E_NOINTERFACE;
    AddRef();
    return S_OK;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return ULONG(InterlockedIncrement(&references)); }
  ULONG STDMETHODCALLTYPE Release() override {
    const LONG left = InterlockedDecrement(&references);
    if (left == 0) delete this;
    return ULONG(left);
  }

  // IRawElementProviderSimple
  HRESULT STDMETHODCALLTYPE get_ProviderOptions(ProviderOptions* options) override {
    // Without COM threading UI Automation calls the parts on the window's thread, through its
    // messages: the program's one thread, which never initialises COM.
    *options = ProviderOptions_ServerSideProvider;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE GetPatternProvider(PATTERNID pattern, IUnknown** provider) override {
    *provider = nullptr;
    const AccessibleNode* node = Node();
    if (Gone()) return kElementNotAvailable;
    if (node == nullptr) return S_OK;
    if ((pattern == UIA_InvokePatternId && node->role == AccessibleRole::kButton) ||
        (pattern == UIA_SelectionItemPatternId && node->role == AccessibleRole::kRadioButton) ||
        (pattern == UIA_ValuePatternId && node->role == AccessibleRole::kTextLine)) {
      *provider = static_cast<IRawElementProviderSimple*>(this);
      AddRef();
    }
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE GetPropertyValue(PROPERTYID property, VARIANT* value) override {
    VariantInit(value);
    if (Gone()) return kElementNotAvailable;
    const AccessibleNode* node = Node();
    if (node == nullptr) return S_OK;  // the window: its host says what it is
    static const CONTROLTYPEID kControls[] = {kButtonControl, kRadioButtonControl,
                                              kTextControl,   kEditControl,
                                              kListControl,   kListItemControl};
    switch (property) {
      case UIA_ControlTypePropertyId:
        *value = Variant(int32_t(kControls[size_t(node->role)]));
        break;
      case UIA_NamePropertyId: *value = Variant(std::u16string_view(node->name)); break;
      case UIA_AutomationIdPropertyId:
        *value = Variant(std::u16string_view(u"part" + ToText(node->id)));
        break;
      case UIA_IsEnabledPropertyId: *value = Variant(true); break;
      case UIA_IsKeyboardFocusablePropertyId:
        *value = Variant(node->role == AccessibleRole::kTextLine);
        break;
      case UIA_HasKeyboardFocusPropertyId: *value = Variant(node->focused); break;
      case UIA_IsOffscreenPropertyId:
        *value = Variant(node->width <= 0 || node->height <= 0);
        break;
      case UIA_ValueValuePropertyId:
        if (node->role == AccessibleRole::kTextLine)
          *value = Variant(std::u16string_view(node->text));
        break;
      case UIA_SelectionItemIsSelectedPropertyId:
        if (node->role == AccessibleRole::kRadioButton) *value = Variant(node->checked);
        break;
      default: break;
    }
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE get_HostRawElementProvider(IRawElementProviderSimple** host) override {
    *host = nullptr;
    const WindowRecord* record = FindRecord(window);
    if (id != 0 || record == nullptr || TheUia().hostProvider == nullptr) return S_OK;
    return TheUia().hostProvider(record->hwnd, host);
  }

  // IRawElementProviderFragment
  HRESULT STDMETHODCALLTYPE Navigate(NavigateDirection direction,
                                     IRawElementProviderFragment** found) override {
    *found = nullptr;
    if (Gone()) return kElementNotAvailable;
    const AccessibleNode* node = Node();
    int32_t target = -1;
    if (direction == NavigateDirection_Parent) {
      if (node != nullptr) target = node->parent;
    } else if (direction == NavigateDirection_FirstChild ||
               direction == NavigateDirection_LastChild) {
      const std::vector<int32_t> children = ChildrenOf(window, id);
      if (!children.empty())
        target = direction == NavigateDirection_FirstChild ? children.front() : children.back();
    } else if (node != nullptr) {
      const std::vector<int32_t> siblings = ChildrenOf(window, node->parent);
      for (size_t i = 0; i < siblings.size(); ++i) {
        if (siblings[i] != id) continue;
        if (direction == NavigateDirection_NextSibling && i + 1 < siblings.size())
          target = siblings[i + 1];
        if (direction == NavigateDirection_PreviousSibling && i > 0) target = siblings[i - 1];
      }
    }
    if (target < 0) return S_OK;
    if (Provider* provider = ProviderOf(window, target)) {
      *found = static_cast<IRawElementProviderFragment*>(provider);
      provider->AddRef();
    }
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE GetRuntimeId(SAFEARRAY** runtimeId) override {
    *runtimeId = nullptr;
    if (Gone()) return kElementNotAvailable;
    if (id == 0) return S_OK;  // the window's own, from its host
    int parts[] = {kUiaAppendRuntimeId, id};
    *runtimeId = SafeArrayCreateVector(VT_I4, 0, 2);
    if (*runtimeId == nullptr) return E_OUTOFMEMORY;
    for (LONG i = 0; i < 2; ++i) SafeArrayPutElement(*runtimeId, &i, &parts[i]);
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE get_BoundingRectangle(UiaRect* box) override {
    *box = UiaRect{};
    if (Gone()) return kElementNotAvailable;
    const AccessibleNode* node = Node();
    int32_t left = 0, top = 0;
    if (node == nullptr || !GetWindowPosition(window, &left, &top)) return S_OK;
    *box = UiaRect{double(left + node->x), double(top + node->y), double(node->width),
                   double(node->height)};
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE GetEmbeddedFragmentRoots(SAFEARRAY** roots) override {
    *roots = nullptr;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE SetFocus() override { return Gone() ? kElementNotAvailable : S_OK; }
  HRESULT STDMETHODCALLTYPE get_FragmentRoot(IRawElementProviderFragmentRoot** root) override {
    *root = nullptr;
    if (Gone()) return kElementNotAvailable;
    if (Provider* provider = ProviderOf(window, 0)) {
      *root = static_cast<IRawElementProviderFragmentRoot*>(provider);
      provider->AddRef();
    }
    return S_OK;
  }

  // IRawElementProviderFragmentRoot: the deepest part under a screen point, the focused part.
  HRESULT STDMETHODCALLTYPE ElementProviderFromPoint(double x, double y,
                                                     IRawElementProviderFragment** found) override {
    *found = nullptr;
    int32_t left = 0, top = 0;
    auto it = Parts().find(window);
    if (it == Parts().end() || !GetWindowPosition(window, &left, &top)) return S_OK;
    const AccessibleNode* hit = nullptr;
    for (const AccessibleNode& node : it->second.nodes) {
      const double nx = left + node.x, ny = top + node.y;
      if (x >= nx && y >= ny && x < nx + node.width && y < ny + node.height) hit = &node;
    }
    if (hit != nullptr)
      return ProviderOf(window, hit->id)
          ->QueryInterface(IID_IRawElementProviderFragment, reinterpret_cast<void**>(found));
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE GetFocus(IRawElementProviderFragment** found) override {
    *found = nullptr;
    auto it = Parts().find(window);
    if (it == Parts().end()) return S_OK;
    for (const AccessibleNode& node : it->second.nodes) {
      if (node.focused)
        return ProviderOf(window, node.id)
            ->QueryInterface(IID_IRawElementProviderFragment, reinterpret_cast<void**>(found));
    }
    return S_OK;
  }

  // The press, queued as the program's event so that it takes the path of a click.
  HRESULT Press() {
    if (Gone()) return kElementNotAvailable;
    PostEvent({kEventAccessibleAction, window, uint32_t(id), 0, 0});
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE Invoke() override { return Press(); }
  HRESULT STDMETHODCALLTYPE Select() override { return Press(); }
  HRESULT STDMETHODCALLTYPE AddToSelection() override { return kInvalidOperation; }
  HRESULT STDMETHODCALLTYPE RemoveFromSelection() override { return kInvalidOperation; }
  HRESULT STDMETHODCALLTYPE get_IsSelected(BOOL* selected) override {
    const AccessibleNode* node = Node();
    *selected = node != nullptr && node->checked;
    return node ? S_OK : kElementNotAvailable;
  }
  HRESULT STDMETHODCALLTYPE get_SelectionContainer(IRawElementProviderSimple** container) override {
    *container = nullptr;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE SetValue(LPCWSTR) override { return kInvalidOperation; }
  HRESULT STDMETHODCALLTYPE get_Value(BSTR* value) override {
    const AccessibleNode* node = Node();
    *value = nullptr;
    if (node == nullptr) return kElementNotAvailable;
    *value = SysAllocStringLen(reinterpret_cast<const OLECHAR*>(node->text.data()),
                               UINT(node->text.size()));
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE get_IsReadOnly(BOOL* readOnly) override {
    *readOnly = FALSE;
    return S_OK;
  }

  static std::u16string ToText(int32_t number) {
    std::u16string text;
    do {
      text.insert(text.begin(), char16_t(u'0' + number % 10));
      number /= 10;
    } while (number > 0);
    return text;
  }
};

// The provider of a part the window has (0: the window's root), made when first asked for; the
// record keeps one reference to each.
Provider* ProviderOf(WindowHandle window, int32_t id) {
  auto it = Parts().find(window);
  if (it == Parts().end()) return nullptr;
  PartsRecord& record = it->second;
  if (id == 0) {
    if (record.root == nullptr) record.root = new Provider(window, 0);
    return record.root;
  }
  if (FindAccessibleNode(record.nodes, id) == nullptr) return nullptr;
  Provider*& provider = record.parts[id];
  if (provider == nullptr) provider = new Provider(window, id);
  return provider;
}

void Retire(Provider* provider) {
  provider->alive = false;
  provider->Release();
}

void RaiseProperty(Provider* provider, PROPERTYID property, VARIANT now) {
  VARIANT before;
  VariantInit(&before);
  if (TheUia().raiseProperty != nullptr)
    TheUia().raiseProperty(static_cast<IRawElementProviderSimple*>(provider), property, before,
                           now);
  VariantClear(&now);
}

void Tell(WindowHandle window, const AccessibleChange& change, const AccessibleNode& now) {
  Provider* provider = ProviderOf(window, now.id);
  if (provider == nullptr) return;
  IRawElementProviderSimple* simple = static_cast<IRawElementProviderSimple*>(provider);
  using Kind = AccessibleChange::Kind;
  switch (change.kind) {
    case Kind::kName:
      RaiseProperty(provider, UIA_NamePropertyId, Variant(std::u16string_view(now.name)));
      break;
    case Kind::kChecked:
      RaiseProperty(provider, UIA_SelectionItemIsSelectedPropertyId, Variant(now.checked));
      if (now.checked && TheUia().raiseEvent != nullptr)
        TheUia().raiseEvent(simple, kElementSelectedEvent);
      break;
    case Kind::kFocused:
      if (now.focused && TheUia().raiseEvent != nullptr)
        TheUia().raiseEvent(simple, kFocusChangedEvent);
      break;
    case Kind::kTextInserted:
    case Kind::kTextRemoved:
      RaiseProperty(provider, UIA_ValueValuePropertyId, Variant(std::u16string_view(now.text)));
      break;
    default: break;
  }
}

}  // namespace

namespace win32backend {

LRESULT AnswerAccessibilityRequest(const WindowRecord& record, WPARAM wParam, LPARAM lParam) {
  if (LONG(lParam) != kUiaRootObjectId || TheUia().returnProvider == nullptr) return 0;
  auto it = Parts().find(record.handle);
  if (it == Parts().end() || it->second.nodes.empty()) return 0;
  return TheUia().returnProvider(
      record.hwnd, wParam, lParam,
      static_cast<IRawElementProviderSimple*>(ProviderOf(record.handle, 0)));
}

void ForgetAccessibleParts(const WindowRecord& record) {
  auto it = Parts().find(record.handle);
  if (it == Parts().end()) return;
  // UI Automation lets go of what it holds of the window.
  if (TheUia().returnProvider != nullptr) TheUia().returnProvider(record.hwnd, 0, 0, nullptr);
  for (auto& [id, provider] : it->second.parts) Retire(provider);
  if (it->second.root != nullptr) Retire(it->second.root);
  Parts().erase(it);
}

}  // namespace win32backend

IRawElementProviderSimple* AccessibleRootProvider(WindowHandle window) {
  if (FindRecord(window) == nullptr || Parts().count(window) == 0) return nullptr;
  Provider* root = ProviderOf(window, 0);
  root->AddRef();
  return static_cast<IRawElementProviderSimple*>(root);
}

void SetAccessibleNodes(WindowHandle window, const std::vector<AccessibleNode>& nodes) {
  if (FindRecord(window) == nullptr) return;
  PartsRecord& record = Parts()[window];
  const std::vector<AccessibleChange> changes = CompareAccessibleNodes(record.nodes, nodes);
  record.nodes = nodes;
  // Providers of parts that went answer no more.
  for (auto it = record.parts.begin(); it != record.parts.end();) {
    if (FindAccessibleNode(nodes, it->first) != nullptr) {
      ++it;
      continue;
    }
    Retire(it->second);
    it = record.parts.erase(it);
  }
  if (!ClientsListen()) return;
  for (const AccessibleChange& change : changes) {
    if (change.kind == AccessibleChange::Kind::kParts) {
      if (TheUia().raiseStructure != nullptr)
        TheUia().raiseStructure(static_cast<IRawElementProviderSimple*>(ProviderOf(window, 0)),
                                kChildrenInvalidated, nullptr, 0);
      continue;
    }
    if (const AccessibleNode* now = FindAccessibleNode(record.nodes, change.id))
      Tell(window, change, *now);
  }
}

void AnnounceAccessibly(WindowHandle window, std::u16string_view message) {
  if (FindRecord(window) == nullptr || TheUia().raiseNotification == nullptr || !ClientsListen())
    return;
  Parts()[window];
  BSTR text =
      SysAllocStringLen(reinterpret_cast<const OLECHAR*>(message.data()), UINT(message.size()));
  BSTR activity = SysAllocString(L"announcement");
  TheUia().raiseNotification(static_cast<IRawElementProviderSimple*>(ProviderOf(window, 0)),
                             kActionCompleted, kImportantAll, text, activity);
  SysFreeString(text);
  SysFreeString(activity);
}
