// The Windows-shaped types and result codes of the host interface, with their Windows values on
// every platform. This is the only header that defines them.
//
// The host interface was designed for a platform where `long` is 32 bits wide; the aliases keep
// identifiers and results 32 bits wide on LP64 systems too. Wide strings are UTF-16 everywhere.
#pragma once

#include <cstdint>
#include <string>

#if defined(_WIN32)
// In this order: each header builds on the one before.
#include <windows.h>

#include <unknwn.h>

#include <comutil.h>
#else
using LONG = std::int32_t;
using DWORD = std::uint32_t;
using HRESULT = std::int32_t;

constexpr HRESULT S_OK = 0;
constexpr HRESULT S_FALSE = 1;
constexpr HRESULT E_OUTOFMEMORY = static_cast<HRESULT>(0x8007000EU);
constexpr HRESULT E_INVALIDARG = static_cast<HRESULT>(0x80070057U);
constexpr HRESULT E_FAIL = static_cast<HRESULT>(0x80004005U);

// Opaque COM context that the host passes with each command; the library never looks inside.
struct IUnknown;
#endif

namespace cmdpredict {

// One UTF-16 code unit, and a string of them, compared by code units.
#if defined(_WIN32)
using WChar = wchar_t;
#else
using WChar = char16_t;
#endif
using WString = std::basic_string<WChar>;

}  // namespace cmdpredict

// A string literal of WChar units: CMDPREDICT_WIDE("Sketch") is u"Sketch" where WChar is char16_t
// and L"Sketch" where it is the 16-bit wchar_t of Windows.
#if defined(_WIN32)
#define CMDPREDICT_WIDE(text) L##text
#else
#define CMDPREDICT_WIDE(text) u##text
#endif
