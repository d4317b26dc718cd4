// The navigator's command family: each command is one request whose first argument is the
// command's name and one blocking wait for the answer. Every operation sets status to the
// navigator's status (the first answer argument) or to kNotSent, kMalformedAnswer or
// kListNotStored, and returns 0 when an acceptable answer came, else that negative value.
#pragma once

#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <string>
#include <utility>
#include <vector>

#include "navlink/file_layer.h"

namespace kelvaro {

constexpr int32_t kNotSent = -1;
constexpr int32_t kMalformedAnswer = -2;
constexpr int32_t kListNotStored = -5;

// Result records of the queries, named by their shape; what the fields mean is the
// navigator's. They are filled only from an answer with the full count of arguments.
struct NumberResult {
    int32_t number = 0;
};
struct TextNumberResult {
    std::string text;
    int32_t number = 0;
};
struct TwoTextsTwoNumbersResult {
    std::string texts[2];
    int32_t numbers[2] = {};
};
struct ThreeNumbersTwoTextsResult {
    int32_t numbers[3] = {};
    std::string texts[2];
};
struct FiveNumbersResult {
    int32_t numbers[5] = {};
};
struct LocationInfoResult {
    int32_t numbers[3] = {};
    std::string text;
    int32_t moreNumbers[2] = {};
};
struct LocationInfoExResult {
    int32_t numbers[3] = {};
    std::string text;
    int32_t moreNumbers[2] = {};
    std::string moreText;
};
struct RouteInfoResult {
    int32_t numbers[13] = {};
};

class NavigatorCommands {
  public:
    // A request value: a text passed as given (null as empty) or an integer in decimal.
    class Value {
      public:
        Value(const char* text) : text_(text != nullptr ? text : "") {}
        Value(const std::string& text) : text_(text.c_str()) {}
        Value(int32_t number) : text_(nullptr), number_(number) {}
        const char* text() const { return text_; }
        int32_t number() const { return number_; }

      private:
        const char* text_;
        int32_t number_ = 0;
    };

    // Where an answer argument goes: one integer, a run of integers, or a text.
    struct Field {
        Field(int32_t& number) : numbers(&number), count(1) {}
        Field(std::string& text) : texts(&text), count(1) {}
        template <size_t N>
        Field(int32_t (&run)[N]) : numbers(run), count(N) {}
        template <size_t N>
        Field(std::string (&run)[N]) : texts(run), count(N) {}
        int32_t* numbers = nullptr;  // either numbers or texts
        std::string* texts = nullptr;
        int32_t count;
    };

    explicit NavigatorCommands(MTomTomCommunicationLayerInterface& layer) : layer_(layer) {}

    // Commands the program itself sends.
    int32_t AddPoi(int32_t& status, const char* category, int32_t longitude, int32_t latitude,
                   const char* name, const char* description);
    int32_t FlashMessage(int32_t& status, const char* message, int32_t durationMs);
    int32_t PlaySoundFile(int32_t& status, const char* path, int32_t flag);

    // The rest of the family, status-only.
    int32_t AbortItineraryLeg(int32_t& status);
    int32_t BringNavigatorToForeground(int32_t& status);
    int32_t ChangeSetting(int32_t& status, int32_t setting);
    int32_t ClearFavorite(int32_t& status, int32_t favorite);
    int32_t ClearItinerary(int32_t& status);
    int32_t ClearRoute(int32_t& status);
    int32_t CloseInternetConnection(int32_t& status);
    int32_t DeleteAllPoi(int32_t& status, const char* category);
    int32_t DeleteClosestPoi(int32_t& status, const char* category, int32_t longitude,
                             int32_t latitude);
    int32_t DisableExternalGPSInput(int32_t& status);
    int32_t DisableRawGPSOutput(int32_t& status);
    int32_t EnableGFRecord(int32_t& status, int32_t first, int32_t second);
    int32_t EnableRawGPSOutput(int32_t& status, const char* text);
    int32_t LoadItinerary(int32_t& status, const char* path);
    int32_t MakePoiVisible(int32_t& status, int32_t category, int32_t visible);
    int32_t MakeUserPoiVisible(int32_t& status, const char* category, int32_t visible);
    int32_t MoveClosestPoi(int32_t& status, const char* category, int32_t fromLongitude,
                           int32_t fromLatitude, int32_t toLongitude, int32_t toLatitude);
    int32_t NavigateToAddress(int32_t& status, const char* city, const char* street,
                              const char* number, const char* postalCode);
    int32_t NavigateToCoordinates(int32_t& status, int32_t longitude, int32_t latitude,
                                  const char* name);
    int32_t NavigateToFavorite(int32_t& status, int32_t favorite);
    int32_t NavigateToNextStopover(int32_t& status);
    int32_t NavigateToPostalCode(int32_t& status, const char* postalCode, const char* street,
                                 const char* number);
    int32_t OpenInternetConnection(int32_t& status);
    int32_t SaveItinerary(int32_t& status, const char* path);
    int32_t SendCallToCustomUI(int32_t& status, int32_t call, const char* text);
    int32_t SetFavorite(int32_t& status, int32_t favorite, const char* name,
                        const char* description, int32_t longitude, int32_t latitude);
    int32_t SetNavigatorProperty(int32_t& status, int32_t property, int32_t value);
    int32_t SetRouteSummaryVisible(int32_t& status, int32_t visible);
    int32_t ShowAddressOnMap(int32_t& status, const char* city, const char* street,
                             const char* number, const char* postalCode);
    int32_t ShowCoordinatesOnMap(int32_t& status, int32_t longitude, int32_t latitude);
    int32_t ShowExactDestination(int32_t& status, int32_t show);
    int32_t ShowPostalCodeOnMap(int32_t& status, const char* postalCode, const char* street,
                                const char* number);
    int32_t ShowRectangleOnMap(int32_t& status, int32_t left, int32_t top, int32_t right,
                               int32_t bottom);
    int32_t StartCustomUI(int32_t& status, int32_t mode, const char* first, const char* second);
    int32_t StopApplication(int32_t& status);
    int32_t StopCustomUI(int32_t& status);
    int32_t SwitchMap(int32_t& status, const char* map);
    int32_t SwitchToNavigatorView(int32_t& status);
    int32_t UseGFFile(int32_t& status, const char* path);

    // Queries with a fixed answer: the status alone leaves the result as it was.
    int32_t EnableExternalGPSInput(int32_t& status, NumberResult& result);
    int32_t GeocodeExtended(int32_t& status, const char* city, const char* street,
                            const char* number, const char* postalCode,
                            ThreeNumbersTwoTextsResult& result);
    int32_t Geocode(int32_t& status, const char* city, const char* street, const char* number,
                    ThreeNumbersTwoTextsResult& result);
    int32_t GetApplicationVersion(int32_t& status, TextNumberResult& result);
    int32_t GetCurrentPosition(int32_t& status, FiveNumbersResult& result);
    int32_t GetCurrentStopover(int32_t& status, NumberResult& result);
    int32_t GetDataSetInfo(int32_t& status, TwoTextsTwoNumbersResult& result);
    int32_t GetFavorite(int32_t& status, int32_t favorite, TwoTextsTwoNumbersResult& result);
    int32_t GetInternetConnectionStatus(int32_t& status, NumberResult& result);
    int32_t GetLocationInfoEx(int32_t& status, int32_t longitude, int32_t latitude,
                              LocationInfoExResult& result);
    int32_t GetLocationInfo(int32_t& status, int32_t longitude, int32_t latitude,
                            LocationInfoResult& result);
    int32_t GetRouteInfo(int32_t& status, RouteInfoResult& result);
    int32_t GetUniqueDeviceId(int32_t& status, TextNumberResult& result);

    // List queries: status, count, then the entries. The entries are replaced only when a
    // list of at least one entry was stored.
    int32_t GetResultFromCustomUI(int32_t& status, std::vector<std::string>& entries);
    int32_t GetRouteCoordinates(int32_t& status,
                                std::vector<std::pair<int32_t, int32_t>>& coordinates);

  private:
    // Builds, sends and waits; false (status kNotSent) when the request was not written.
    bool request(int32_t& status, const char* name, std::initializer_list<Value> values);
    int32_t statusOnly(int32_t& status, const char* name, std::initializer_list<Value> values);
    int32_t query(int32_t& status, const char* name, std::initializer_list<Value> values,
                  std::initializer_list<Field> fields);

    MTomTomCommunicationLayerInterface& layer_;
};

// An argument read as a signed decimal integer: optional sign, the leading digits, 0 when
// there are none; saturated at the int32 range.
int32_t readInteger(const char* text);

}  // namespace kelvaro
