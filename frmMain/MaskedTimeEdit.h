#pragma once
// The anchor time fields txtFirst and txtLast: edit fields that accept only what the
// document's time form allows.
//
//   Mask              accepts                                         text after a reset
//   SubRipClock       "hh:nn:ss,zzz"; the first hour digit may be     "00:00:00,000"
//                     left blank, every other position needs a digit;
//                     ":" and "," are fixed
//   HundredthsClock   "hh:nn:ss.zz", same rules                       "00:00:00.00"
//   MillisecondsClock "hh:nn:ss.zzz", same rules (WebVTT)              "00:00:00.000"
//   TenthsClock       "hh:nn:ss.z", same rules (MPL2)                  "00:00:00.0"
//   Frames            up to nine digits, none required; an empty      "0"
//                     field shows "0" and reads as 0
//
// fieldText() is the text as the field shows it, an unfilled clock position as a blank, so a
// half-typed time reads as a field that does not convert rather than as a shifted one.

#include "document/SubtitleDocument.h"

#include <QFont>
#include <QLineEdit>
#include <optional>

namespace velkar::gui {

class MaskedTimeEdit : public QLineEdit {
    Q_OBJECT
  public:
    enum class Mask { SubRipClock, HundredthsClock, MillisecondsClock, TenthsClock, Frames };

    explicit MaskedTimeEdit(QWidget* parent = nullptr);

    // Sets the mask and the text after a reset.
    void setMask(Mask mask);
    Mask mask() const { return m_mask; }
    // The mask of a document format: the form its times are typed in (frames for MicroDVD, the
    // clock with the format's fraction otherwise; hundredths for a document of no format).
    static Mask MaskFor(velkar::SubtitleFormat format);
    static QString ResetText(Mask mask);

    // Shows a time text of the field's form; a clock with one hour digit ("1:02:03.05", as ASS
    // writes it) gets a leading zero, so that every digit lands in its own place of the mask,
    // and one with more hour digits or a sign ("1088:42:00.500", "-0:00:06.84") widens the
    // mask's hours to hold them (until the next setMask) and, where the text then does not fit
    // the field, its font to show it whole.
    void setTime(const QString& text);

    QString fieldText() const;

  private:
    Mask m_mask = Mask::SubRipClock;
    QValidator* m_frameDigits;
    // The font the field had before a time too wide for it made it smaller.
    std::optional<QFont> m_placedFont;
};

} // namespace velkar::gui
