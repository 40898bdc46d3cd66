// The one place that includes RapidJSON. Every file of the JSON layer includes RapidJSON through
// this header, so all of them see the same configuration macros and the same types.
#pragma once

// Values are moved, never copied implicitly; the layer relies on RapidJSON's move operations.
#define RAPIDJSON_HAS_CXX11_RVALUE_REFS 1

#include <rapidjson/document.h>
#include <rapidjson/reader.h>
#include <rapidjson/stringbuffer.h>
#include <rapidjson/writer.h>

namespace cmdpredict {

// Every string, member array and element array lives on the C runtime heap, so a value needs no
// allocator object and can be freed one by one or outlive the document it was parsed into.
using RapidValue = rapidjson::GenericValue<rapidjson::UTF8<>, rapidjson::CrtAllocator>;
using RapidDocument =
    rapidjson::GenericDocument<rapidjson::UTF8<>, rapidjson::CrtAllocator, rapidjson::CrtAllocator>;

}  // namespace cmdpredict
