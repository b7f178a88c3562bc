#pragma once
// Failures of the core. Every failure is a VelkarError whose what() is the exact text the
// user is shown; the windows catch it at each event handler, the command-line tool prints it.

#include <stdexcept>
#include <string>
#include <string_view>

namespace velkar {

class VelkarError : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

// "'<field>' is not a valid integer value": a number read from text did not convert.
class ConversionError : public VelkarError {
  public:
    explicit ConversionError(std::string_view field);
};

// "Invalid argument to time encode": a value has no text in a clock form. A `detail` that says
// which subtitle and what to do follows on a second line (after LF CR).
class TimeEncodeError : public VelkarError {
  public:
    explicit TimeEncodeError(std::string_view detail = {});
};

// "List index out of bounds (<index>)": a line was read past the end of the document.
class ListIndexError : public VelkarError {
  public:
    explicit ListIndexError(long long index);
};

// A command that needs the whole timing table, after a parse that failed with `reason`: "The
// timing of the Subtitle file could not be read (<reason>). Mend the file in the editor
// (Edit...) first."
class UnparsedDocumentError : public VelkarError {
  public:
    explicit UnparsedDocumentError(std::string_view reason);
};

// "No Subtitle file is open. Open one with Open Subtitle first.": a command that works on the
// document, pressed while there is none.
class NoDocumentError : public VelkarError {
  public:
    NoDocumentError();
};

// "Cannot open file <path>" / "Cannot create file <path>", with ": <reason>" after the path
// when a reason is given ("Cannot create file x.srt: Permission denied"), and for a file that was
// left damaged a `detail` that says so on a second line (after LF CR).
class FileOpenError : public VelkarError {
  public:
    explicit FileOpenError(const std::string& path, const std::string& reason = {});
};
class FileCreateError : public VelkarError {
  public:
    explicit FileCreateError(const std::string& path, const std::string& reason = {},
                             const std::string& detail = {});
    // The reason given, or empty.
    const std::string& reason() const { return m_reason; }

  private:
    std::string m_reason;
};

// "The Subtitle file holds NUL bytes": a NUL byte with something other than NUL bytes after it.
class NulBytesError : public VelkarError {
  public:
    NulBytesError();
};

// "The Subtitle file is not valid UTF-16": a file with a UTF-16 byte-order mark whose text is
// not UTF-16.
class Utf16Error : public VelkarError {
  public:
    Utf16Error();
};

} // namespace velkar
