#include "document/Errors.h"

namespace velkar {

ConversionError::ConversionError(std::string_view field)
    : VelkarError("'" + std::string(field) + "' is not a valid integer value") {}

TimeEncodeError::TimeEncodeError(std::string_view detail)
    : VelkarError(detail.empty() ? std::string("Invalid argument to time encode")
                                 : "Invalid argument to time encode\n\r" + std::string(detail)) {}

ListIndexError::ListIndexError(long long index)
    : VelkarError("List index out of bounds (" + std::to_string(index) + ")") {}

UnparsedDocumentError::UnparsedDocumentError(std::string_view reason)
    : VelkarError("The timing of the Subtitle file could not be read (" + std::string(reason) +
                  "). Mend the file in the editor (Edit...) first.") {}

NoDocumentError::NoDocumentError()
    : VelkarError("No Subtitle file is open. Open one with Open Subtitle first.") {}

namespace {

std::string WithReason(const std::string& text, const std::string& reason) {
    return reason.empty() ? text : text + ": " + reason;
}

} // namespace

FileOpenError::FileOpenError(const std::string& path, const std::string& reason)
    : VelkarError(WithReason("Cannot open file " + path, reason)) {}

FileCreateError::FileCreateError(const std::string& path, const std::string& reason,
                                 const std::string& detail)
    : VelkarError(WithReason("Cannot create file " + path, reason) +
                  (detail.empty() ? "" : "\n\r" + detail)),
      m_reason(reason) {}

NulBytesError::NulBytesError() : VelkarError("The Subtitle file holds NUL bytes") {}

Utf16Error::Utf16Error() : VelkarError("The Subtitle file is not valid UTF-16") {}

} // namespace velkar
