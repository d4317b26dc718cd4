// Any bytes as the trip summary for the report: every trip read has the fifteen fields'
// worth of figures, and the page of them is whole.
#include "fuzz/report_page.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace kelvaro::report;
    ReportInput input;
    input.settings = fuzzSettings(data, size);
    input.summary = readTripSummary(std::string_view(reinterpret_cast<const char*>(data), size));
    input.haveSummary = true;
    for (const TripLine& trip : input.summary.trips) {
        require(trip.start.size() == 19 && trip.end.size() == 19);
    }
    checkPage(input);
    return 0;
}
