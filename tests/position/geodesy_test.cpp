#include "position/geodesy.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace kelvaro {
namespace {

TEST(Geodesy, OneDegreeOfLatitudeIsSixtyNauticalMiles) {
    struct Row {
        const char* legend;
        double lon1, lat1, lon2, lat2;
    };
    const Row rows[] = {
        {"northwards on a meridian", 10.0, 45.0, 10.0, 46.0},
        {"southwards across the equator", -70.0, 0.5, -70.0, -0.5},
        {"along the equator", 30.0, 0.0, 31.0, 0.0},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.legend);
        EXPECT_NEAR(distanceMetres(row.lon1, row.lat1, row.lon2, row.lat2), 111189.57696, 1e-3);
    }
}

TEST(Geodesy, NoDistanceWithoutAnEarlierFixOrOutOfRange) {
    const double nan = std::numeric_limits<double>::quiet_NaN();
    struct Row {
        const char* legend;
        double lon1, lat1, lon2, lat2;
    };
    const Row rows[] = {
        {"earlier fix at (0, 0)", 0.0, 0.0, 2.35, 48.85},
        {"longitude above 180", 180.5, 48.0, 2.0, 48.0},
        {"later latitude below -180", 2.0, 48.0, 2.0, -181.0},
        {"not a number", 2.0, 48.0, nan, 48.0},
        {"infinite", 2.0, 48.0, 2.0, std::numeric_limits<double>::infinity()},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.legend);
        EXPECT_EQ(distanceMetres(row.lon1, row.lat1, row.lon2, row.lat2), 0.0);
    }
    // Latitudes are only held to 180 like longitudes, so 100 still gives a distance.
    EXPECT_GT(distanceMetres(2.0, 89.0, 2.0, 100.0), 0.0);
    // Only a start at exactly (0, 0) means no predecessor; a later (0, 0) is a place.
    EXPECT_NEAR(distanceMetres(0.0, 1.0, 0.0, 0.0), 111189.57696, 1e-3);
}

TEST(Geodesy, AlmostIdenticalPositionsGiveZeroNotNaN) {
    // Find a latitude where the cosine sum itself rounds above 1 for a point and itself,
    // so that the test proves the clamp rather than passing by luck.
    double found = 0.0;
    for (int i = 1; i < 100000 && found == 0.0; ++i) {
        const double lat = i / 1000.0;
        const double phi = toRadians(lat);
        const double c = std::sin(phi) * std::sin(phi) + std::cos(phi) * std::cos(phi);
        if (c > 1.0) {
            found = lat;
        }
    }
    ASSERT_NE(found, 0.0);
    const double distance = distanceMetres(7.5, found, 7.5, found);
    EXPECT_FALSE(std::isnan(distance));
    EXPECT_EQ(distance, 0.0);

    const double nearby = distanceMetres(7.5, 48.1173, 7.5000001, 48.1173);
    EXPECT_FALSE(std::isnan(nearby));
    EXPECT_LT(nearby, 0.5);  // acos resolves no finer than about a decimetre near 1
}

TEST(Geodesy, CourseDifferenceIsTheSmallerAngle) {
    struct Row {
        const char* legend;
        int32_t a, b, difference;
    };
    const Row rows[] = {
        {"across north, clockwise", 350, 10, 20},
        {"across north, anticlockwise", 10, 350, 20},
        {"opposite", 0, 180, 180},
        {"just past opposite", 0, 181, 179},
        {"360 is north", 360, 0, 0},
        {"whole turns", 0, 720, 0},
        {"negative course", -10, 10, 20},
        {"turns and a half", 0, 540, 180},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.legend);
        EXPECT_EQ(courseDifference(row.a, row.b), row.difference);
    }
}

TEST(Geodesy, DegreesSplitKeepTheSignOnTheDegrees) {
    struct Row {
        const char* legend;
        double x;
        int32_t degrees;
        double minutes;
        int32_t wholeMinutes, seconds;
    };
    const Row rows[] = {
        {"south, half a degree", -45.5, -45, 30.0, 30, 0},
        {"north", 48.1173, 48, 7.038, 7, 2},
        {"east, seconds truncated", 12.3456, 12, 20.736, 20, 44},
        {"less than a degree west loses its sign", -0.25, 0, 15.0, 15, 0},
        {"zero", 0.0, 0, 0.0, 0, 0},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.legend);
        const DegreesMinutes dm = toDegreesMinutes(row.x);
        EXPECT_EQ(dm.degrees, row.degrees);
        EXPECT_NEAR(dm.minutes, row.minutes, 1e-9);
        const DegreesMinutesSeconds dms = toDegreesMinutesSeconds(row.x);
        EXPECT_EQ(dms.degrees, row.degrees);
        EXPECT_EQ(dms.minutes, row.wholeMinutes);
        EXPECT_EQ(dms.seconds, row.seconds);
    }
}

TEST(Geodesy, HemisphereLabelsCoverTheWholeRange) {
    struct Row {
        const char* legend;
        double x, limit;
        const char* label;
    };
    const Row rows[] = {
        {"equator is north", 0.0, kLatitudeLimit, "N"},
        {"south pole", -90.0, kLatitudeLimit, "S"},
        {"just south", -0.00001, kLatitudeLimit, "S"},
        {"beyond the pole", 90.5, kLatitudeLimit, ""},
        {"below the south pole", -90.5, kLatitudeLimit, ""},
        {"date line east", 180.0, kLongitudeLimit, "N"},
        {"beyond the date line", 180.1, kLongitudeLimit, ""},
        {"not a number", std::numeric_limits<double>::quiet_NaN(), kLongitudeLimit, ""},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.legend);
        EXPECT_EQ(hemisphereLabel(row.x, row.limit, "N", "S"), row.label);
    }
}

}  // namespace
}  // namespace kelvaro
