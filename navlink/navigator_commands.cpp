#include "navlink/navigator_commands.h"

#include <algorithm>
#include <cinttypes>
#include <cstdio>

namespace kelvaro {

int32_t readInteger(const char* text) {
    if (text == nullptr) {
        return 0;
    }
    while (*text == ' ' || *text == '\t') {
        ++text;
    }
    const bool negative = *text == '-';
    if (*text == '-' || *text == '+') {
        ++text;
    }
    int64_t value = 0;
    for (; *text >= '0' && *text <= '9'; ++text) {
        value = std::min<int64_t>(value * 10 + (*text - '0'), int64_t{INT32_MAX} + 1);
    }
    value = negative ? -value : std::min<int64_t>(value, INT32_MAX);
    return static_cast<int32_t>(value);
}

bool NavigatorCommands::request(int32_t& status, const char* name,
                                std::initializer_list<Value> values) {
    status = 0;
    layer_.BeginRequest(nullptr);
    layer_.AddArgument(name);
    for (const Value& value : values) {
        if (value.text() != nullptr) {
            layer_.AddArgument(value.text());
        } else {
            char number[16];
            std::snprintf(number, sizeof number, "%" PRId32, value.number());
            layer_.AddArgument(number);
        }
    }
    std::unique_ptr<MTomTomSession> session = layer_.Send();
    if (!session) {
        status = kNotSent;
        return false;
    }
    layer_.ReceiveAnswer(std::move(session));
    return true;
}

int32_t NavigatorCommands::statusOnly(int32_t& status, const char* name,
                                      std::initializer_list<Value> values) {
    return query(status, name, values, {});
}

int32_t NavigatorCommands::query(int32_t& status, const char* name,
                                 std::initializer_list<Value> values,
                                 std::initializer_list<Field> fields) {
    if (!request(status, name, values)) {
        return kNotSent;
    }
    const MArguments& answer = layer_.Arguments();
    int32_t full = 1;
    for (const Field& field : fields) {
        full += field.count;
    }
    const int32_t count = answer.GetCount();
    if (count != 1 && count != full) {
        status = kMalformedAnswer;
        return kMalformedAnswer;
    }
    status = readInteger(answer.GetArgument(0));
    if (count == full) {
        int32_t index = 1;
        for (const Field& field : fields) {
            for (int32_t i = 0; i < field.count; ++i, ++index) {
                if (field.numbers != nullptr) {
                    field.numbers[i] = readInteger(answer.GetArgument(index));
                } else {
                    field.texts[i] = answer.GetArgument(index);
                }
            }
        }
    }
    return 0;
}

int32_t NavigatorCommands::AddPoi(int32_t& status, const char* category, int32_t longitude,
                                  int32_t latitude, const char* name, const char* description) {
    return statusOnly(status, "AddPoiV01", {category, longitude, latitude, name, description});
}
int32_t NavigatorCommands::FlashMessage(int32_t& status, const char* message, int32_t durationMs) {
    return statusOnly(status, "FlashMessageV01", {message, durationMs});
}
int32_t NavigatorCommands::PlaySoundFile(int32_t& status, const char* path, int32_t flag) {
    return statusOnly(status, "PlaySoundFileV01", {path, flag});
}
int32_t NavigatorCommands::AbortItineraryLeg(int32_t& status) {
    return statusOnly(status, "AbortItineraryLegV01", {});
}
int32_t NavigatorCommands::BringNavigatorToForeground(int32_t& status) {
    return statusOnly(status, "BringNavigatorToForegroundV01", {});
}
int32_t NavigatorCommands::ChangeSetting(int32_t& status, int32_t setting) {
    return statusOnly(status, "ChangeSettingV01", {setting});
}
int32_t NavigatorCommands::ClearFavorite(int32_t& status, int32_t favorite) {
    return statusOnly(status, "ClearFavoriteV01", {favorite});
}
int32_t NavigatorCommands::ClearItinerary(int32_t& status) {
    return statusOnly(status, "ClearItineraryV01", {});
}
int32_t NavigatorCommands::ClearRoute(int32_t& status) {
    return statusOnly(status, "ClearRouteV01", {});
}
int32_t NavigatorCommands::CloseInternetConnection(int32_t& status) {
    return statusOnly(status, "CloseInternetConnectionV01", {});
}
int32_t NavigatorCommands::DeleteAllPoi(int32_t& status, const char* category) {
    return statusOnly(status, "DeleteAllPoiV01", {category});
}
int32_t NavigatorCommands::DeleteClosestPoi(int32_t& status, const char* category,
                                            int32_t longitude, int32_t latitude) {
    return statusOnly(status, "DeleteClosestPoiV01", {category, longitude, latitude});
}
int32_t NavigatorCommands::DisableExternalGPSInput(int32_t& status) {
    return statusOnly(status, "DisableExternalGPSInputV01", {});
}
int32_t NavigatorCommands::DisableRawGPSOutput(int32_t& status) {
    return statusOnly(status, "DisableRawGPSOutputV01", {});
}
int32_t NavigatorCommands::EnableGFRecord(int32_t& status, int32_t first, int32_t second) {
    return statusOnly(status, "EnableGFRecordV01", {first, second});
}
int32_t NavigatorCommands::EnableRawGPSOutput(int32_t& status, const char* text) {
    return statusOnly(status, "EnableRawGPSOutputV01", {text});
}
int32_t NavigatorCommands::LoadItinerary(int32_t& status, const char* path) {
    return statusOnly(status, "LoadItineraryV01", {path});
}
int32_t NavigatorCommands::MakePoiVisible(int32_t& status, int32_t category, int32_t visible) {
    return statusOnly(status, "MakePoiVisibleV01", {category, visible});
}
int32_t NavigatorCommands::MakeUserPoiVisible(int32_t& status, const char* category,
                                              int32_t visible) {
    return statusOnly(status, "MakeUserPoiVisibleV01", {category, visible});
}
int32_t NavigatorCommands::MoveClosestPoi(int32_t& status, const char* category,
                                          int32_t fromLongitude, int32_t fromLatitude,
                                          int32_t toLongitude, int32_t toLatitude) {
    return statusOnly(status, "MoveClosestPoiV01",
                      {category, fromLongitude, fromLatitude, toLongitude, toLatitude});
}
int32_t NavigatorCommands::NavigateToAddress(int32_t& status, const char* city, const char* street,
                                             const char* number, const char* postalCode) {
    return statusOnly(status, "NavigateToAddressV01", {city, street, number, postalCode});
}
int32_t NavigatorCommands::NavigateToCoordinates(int32_t& status, int32_t longitude,
                                                 int32_t latitude, const char* name) {
    return statusOnly(status, "NavigateToCoordinatesV01", {longitude, latitude, name});
}
int32_t NavigatorCommands::NavigateToFavorite(int32_t& status, int32_t favorite) {
    return statusOnly(status, "NavigateToFavoriteV01", {favorite});
}
int32_t NavigatorCommands::NavigateToNextStopover(int32_t& status) {
    return statusOnly(status, "NavigateToNextStopoverV01", {});
}
int32_t NavigatorCommands::NavigateToPostalCode(int32_t& status, const char* postalCode,
                                                const char* street, const char* number) {
    return statusOnly(status, "NavigateToPostalCodeV01", {postalCode, street, number});
}
int32_t NavigatorCommands::OpenInternetConnection(int32_t& status) {
    return statusOnly(status, "OpenInternetConnectionV01", {});
}
int32_t NavigatorCommands::SaveItinerary(int32_t& status, const char* path) {
    return statusOnly(status, "SaveItineraryV01", {path});
}
int32_t NavigatorCommands::SendCallToCustomUI(int32_t& status, int32_t call, const char* text) {
    return statusOnly(status, "SendCallToCustomUIV01", {call, text});
}
int32_t NavigatorCommands::SetFavorite(int32_t& status, int32_t favorite, const char* name,
                                       const char* description, int32_t longitude,
                                       int32_t latitude) {
    return statusOnly(status, "SetFavoriteV01", {favorite, name, description, longitude, latitude});
}
int32_t NavigatorCommands::SetNavigatorProperty(int32_t& status, int32_t property, int32_t value) {
    return statusOnly(status, "SetNavigatorPropertyV01", {property, value});
}
int32_t NavigatorCommands::SetRouteSummaryVisible(int32_t& status, int32_t visible) {
    return statusOnly(status, "SetRouteSummaryVisibleV01", {visible});
}
int32_t NavigatorCommands::ShowAddressOnMap(int32_t& status, const char* city, const char* street,
                                            const char* number, const char* postalCode) {
    return statusOnly(status, "ShowAddressOnMapV01", {city, street, number, postalCode});
}
int32_t NavigatorCommands::ShowCoordinatesOnMap(int32_t& status, int32_t longitude,
                                                int32_t latitude) {
    return statusOnly(status, "ShowCoordinatesOnMapV01", {longitude, latitude});
}
int32_t NavigatorCommands::ShowExactDestination(int32_t& status, int32_t show) {
    return statusOnly(status, "ShowExactDestinationV01", {show});
}
int32_t NavigatorCommands::ShowPostalCodeOnMap(int32_t& status, const char* postalCode,
                                               const char* street, const char* number) {
    return statusOnly(status, "ShowPostalCodeOnMapV01", {postalCode, street, number});
}
int32_t NavigatorCommands::ShowRectangleOnMap(int32_t& status, int32_t left, int32_t top,
                                              int32_t right, int32_t bottom) {
    return statusOnly(status, "ShowRectangleOnMapV01", {left, top, right, bottom});
}
int32_t NavigatorCommands::StartCustomUI(int32_t& status, int32_t mode, const char* first,
                                         const char* second) {
    return statusOnly(status, "StartCustomUIV01", {mode, first, second});
}
int32_t NavigatorCommands::StopApplication(int32_t& status) {
    return statusOnly(status, "StopApplicationV01", {});
}
int32_t NavigatorCommands::StopCustomUI(int32_t& status) {
    return statusOnly(status, "StopCustomUIV01", {});
}
int32_t NavigatorCommands::SwitchMap(int32_t& status, const char* map) {
    return statusOnly(status, "SwitchMapV01", {map});
}
int32_t NavigatorCommands::SwitchToNavigatorView(int32_t& status) {
    return statusOnly(status, "SwitchToNavigatorViewV01", {});
}
int32_t NavigatorCommands::UseGFFile(int32_t& status, const char* path) {
    return statusOnly(status, "UseGFFileV01", {path});
}

int32_t NavigatorCommands::EnableExternalGPSInput(int32_t& status, NumberResult& result) {
    return query(status, "EnableExternalGPSInputV01", {}, {result.number});
}
int32_t NavigatorCommands::GeocodeExtended(int32_t& status, const char* city, const char* street,
                                           const char* number, const char* postalCode,
                                           ThreeNumbersTwoTextsResult& result) {
    return query(status, "GeocodeExtendedV01", {city, street, number, postalCode},
                 {result.numbers, result.texts});
}
int32_t NavigatorCommands::Geocode(int32_t& status, const char* city, const char* street,
                                   const char* number, ThreeNumbersTwoTextsResult& result) {
    return query(status, "GeocodeV01", {city, street, number}, {result.numbers, result.texts});
}
int32_t NavigatorCommands::GetApplicationVersion(int32_t& status, TextNumberResult& result) {
    return query(status, "GetApplicationVersionV01", {}, {result.text, result.number});
}
int32_t NavigatorCommands::GetCurrentPosition(int32_t& status, FiveNumbersResult& result) {
    return query(status, "GetCurrentPositionV01", {}, {result.numbers});
}
int32_t NavigatorCommands::GetCurrentStopover(int32_t& status, NumberResult& result) {
    return query(status, "GetCurrentStopoverV01", {}, {result.number});
}
int32_t NavigatorCommands::GetDataSetInfo(int32_t& status, TwoTextsTwoNumbersResult& result) {
    return query(status, "GetDataSetInfoV01", {}, {result.texts, result.numbers});
}
int32_t NavigatorCommands::GetFavorite(int32_t& status, int32_t favorite,
                                       TwoTextsTwoNumbersResult& result) {
    return query(status, "GetFavoriteV01", {favorite}, {result.texts, result.numbers});
}
int32_t NavigatorCommands::GetInternetConnectionStatus(int32_t& status, NumberResult& result) {
    return query(status, "GetInternetConnectionStatusV01", {}, {result.number});
}
int32_t NavigatorCommands::GetLocationInfoEx(int32_t& status, int32_t longitude, int32_t latitude,
                                             LocationInfoExResult& result) {
    return query(status, "GetLocationInfoExV01", {longitude, latitude},
                 {result.numbers, result.text, result.moreNumbers, result.moreText});
}
int32_t NavigatorCommands::GetLocationInfo(int32_t& status, int32_t longitude, int32_t latitude,
                                           LocationInfoResult& result) {
    return query(status, "GetLocationInfoV01", {longitude, latitude},
                 {result.numbers, result.text, result.moreNumbers});
}
int32_t NavigatorCommands::GetRouteInfo(int32_t& status, RouteInfoResult& result) {
    return query(status, "GetRouteInfoV01", {}, {result.numbers});
}
int32_t NavigatorCommands::GetUniqueDeviceId(int32_t& status, TextNumberResult& result) {
    return query(status, "GetUniqueDeviceIdV01", {}, {result.text, result.number});
}

int32_t NavigatorCommands::GetResultFromCustomUI(int32_t& status,
                                                 std::vector<std::string>& entries) {
    if (!request(status, "GetResultFromCustomUIV01", {})) {
        return kNotSent;
    }
    const MArguments& answer = layer_.Arguments();
    if (answer.GetCount() < 1) {
        status = kMalformedAnswer;
        return kMalformedAnswer;
    }
    status = readInteger(answer.GetArgument(0));
    if (answer.GetCount() == 1 || status != 0) {
        return 0;
    }
    const int32_t wanted = readInteger(answer.GetArgument(1));
    std::vector<std::string> stored;
    for (int32_t i = 0; i < wanted; ++i) {
        const char* entry = answer.GetArgument(2 + i);
        if (entry == nullptr) {
            break;
        }
        stored.emplace_back(entry);
    }
    if (wanted < 1 || static_cast<int32_t>(stored.size()) != wanted) {
        status = kListNotStored;
        return kListNotStored;
    }
    entries = std::move(stored);
    return 0;
}

int32_t NavigatorCommands::GetRouteCoordinates(
    int32_t& status, std::vector<std::pair<int32_t, int32_t>>& coordinates) {
    if (!request(status, "GetRouteCoordinatesV01", {})) {
        return kNotSent;
    }
    const MArguments& answer = layer_.Arguments();
    if (answer.GetCount() < 2) {
        status = kMalformedAnswer;
        return kMalformedAnswer;
    }
    status = readInteger(answer.GetArgument(0));
    if (status != 0) {
        return 0;
    }
    // No more pairs are read than the answer holds.
    const int32_t stored =
        std::min(readInteger(answer.GetArgument(1)), (answer.GetCount() - 2) / 2);
    if (stored < 1) {
        status = kListNotStored;
        return kListNotStored;
    }
    std::vector<std::pair<int32_t, int32_t>> pairs;
    pairs.reserve(static_cast<size_t>(stored));
    for (int32_t i = 0; i < stored; ++i) {
        pairs.emplace_back(readInteger(answer.GetArgument(2 + 2 * i)),
                           readInteger(answer.GetArgument(3 + 2 * i)));
    }
    coordinates = std::move(pairs);
    return 0;
}

}  // namespace kelvaro
