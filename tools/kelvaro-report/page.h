// The report as one self-contained XHTML page: no script, nothing fetched, every picture
// inline SVG.
#pragma once

#include <string>
#include <string_view>

#include "tools/kelvaro-report/card.h"

namespace kelvaro::report {

// ISO-8859-1 text (as the card's files hold it) made UTF-8 and fit for XML: markup
// characters become entities, control characters blanks.
[[nodiscard]] std::string htmlText(std::string_view latin1);

// The page of everything read; the logs' times must be finished (finishLogs).
[[nodiscard]] std::string reportPage(const ReportInput& input);

}  // namespace kelvaro::report
