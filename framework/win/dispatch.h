// Late binding by member name: the one helper through which the module calls IDispatch.
#pragma once

#include <windows.h>
#include <oaidl.h>

#include <initializer_list>
#include <string>
#include <string_view>
#include <unordered_map>

#include "framework/win/com_ptr.h"
#include "framework/win/scoped_variant.h"

namespace win {

// Wraps one dispatch object and caches its dispatch identifiers by member name. A failing
// call raises a coded error (20000) whose text names the member and carries the callee's
// own description.
class DispatchObject {
 public:
  DispatchObject() = default;
  explicit DispatchObject(ComPtr<IDispatch> object) : object_(std::move(object)) {}
  // Takes the dispatch object out of a VT_DISPATCH (or VT_UNKNOWN answering IDispatch)
  // value; throws when the value holds none.
  static DispatchObject FromVariant(const VARIANT& value);

  IDispatch* Get() const { return object_.Get(); }
  explicit operator bool() const { return static_cast<bool>(object_); }

  // Arguments are given in natural order; they are passed to Invoke in reverse.
  ScopedVariant Call(std::wstring_view name, std::initializer_list<VARIANT> args = {});
  ScopedVariant GetProperty(std::wstring_view name, std::initializer_list<VARIANT> args = {});
  void PutProperty(std::wstring_view name, const VARIANT& value);
  // A method call or property read whose result is a dispatch object (empty if null).
  DispatchObject CallObject(std::wstring_view name, std::initializer_list<VARIANT> args = {});
  DispatchObject GetObject(std::wstring_view name, std::initializer_list<VARIANT> args = {});

  // The identifier of a member; throws when the object has none of that name.
  DISPID IdOf(std::wstring_view name);
  // Same, but reports a missing member as DISPID_UNKNOWN instead of throwing.
  DISPID TryIdOf(std::wstring_view name);

  ScopedVariant Invoke(std::wstring_view name, WORD flags, std::initializer_list<VARIANT> args);

 private:
  ComPtr<IDispatch> object_;
  std::unordered_map<std::wstring, DISPID> ids_;
};

// A VARIANT that borrows a text, an integer or an object for one call (no ownership).
VARIANT ArgText(BSTR text);
VARIANT ArgInt(LONG value);
VARIANT ArgBool(bool value);
VARIANT ArgDispatch(IDispatch* object);

}  // namespace win
