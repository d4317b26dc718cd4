// Any bytes as a NMEA track log for the report.
#include "fuzz/report_page.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    return kelvaro::report::fuzzLog(kelvaro::report::LogFormat::Nmea, data, size);
}
