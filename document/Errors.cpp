#include "document/Errors.h"

namespace velkar {

ConversionError::ConversionError(std::string_view field)
    : VelkarError("'" + std::string(field) + "' is not a valid integer value") {}

TimeEncodeError::TimeEncodeError() : VelkarError("Invalid argument to time encode") {}

ListIndexError::ListIndexError(long long index)
    : VelkarError("List index out of bounds (" + std::to_string(index) + ")") {}

FileOpenError::FileOpenError(const std::string& path) : VelkarError("Cannot open file " + path) {}

FileCreateError::FileCreateError(const std::string& path)
    : VelkarError("Cannot create file " + path) {}

NulBytesError::NulBytesError() : VelkarError("The Subtitle file holds NUL bytes") {}

Utf16Error::Utf16Error() : VelkarError("The Subtitle file is not valid UTF-16") {}

} // namespace velkar
