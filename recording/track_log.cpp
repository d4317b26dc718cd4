#include "recording/track_log.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <vector>

#include "app/card_file.h"
#include "display/dashboard.h"
#include "display/screen.h"
#include "navlink/navigator_link.h"
#include "platform/platform.h"
#include "position/gps_feed.h"
#include "recording/track_text.h"

namespace kelvaro {

namespace {

constexpr const char* kLogFolder = "/mnt/sdcard/itn";
constexpr const char* kCreator = "Kelvaro v2.5";
constexpr const char* kEmptyDescription = "";

// Addresses of our choosing: the maker's site in the GPX creator, the KML pins.
constexpr const char* kMakerAddress = "https://kelvaro.example.org";
constexpr const char* kWaypointIcon = "http://maps.google.com/mapfiles/kml/pushpin/ylw-pushpin.png";
constexpr const char* kTrackPointIcon =
    "http://maps.google.com/mapfiles/kml/pushpin/blu-pushpin.png";

// The publishers' namespaces and schema documents.
constexpr const char* kSchemaInstance = "http://www.w3.org/2001/XMLSchema-instance";
constexpr const char* kGpxNamespace = "http://www.topografix.com/GPX/1/0";
constexpr const char* kGpxSchema = "http://www.topografix.com/GPX/1/0/gpx.xsd";
constexpr const char* kTopografixNamespace = "http://www.topografix.com/GPX/Private/TopoGrafix/0/2";
constexpr const char* kTopografixSchema =
    "http://www.topografix.com/GPX/Private/TopoGrafix/0/2/topografix.xsd";
constexpr const char* kKmlNamespace = "http://earth.google.com/kml/2.0";

constexpr int32_t kClosingText = 72;
constexpr int32_t kMaxLogNumber = 1000;

using Lines = std::vector<std::string>;

bool isXml(TrackFormat format) {
    return format == TrackFormat::Gpx || format == TrackFormat::Kml;
}

bool hasSuffix(const std::string& text, const std::string& suffix) {
    return text.size() >= suffix.size() &&
           text.compare(text.size() - suffix.size(), suffix.size(), suffix) == 0;
}

// The format a log was begun in is the one of its name, whatever the setting says now; a
// name without a known extension follows the setting.
TrackFormat formatOfLog(const std::string& name) {
    for (const TrackFormat format : {TrackFormat::Csv, TrackFormat::Gpx, TrackFormat::Itn,
                                     TrackFormat::Kml, TrackFormat::Poi, TrackFormat::Nmea}) {
        if (hasSuffix(name, trackLogExtension(format))) {
            return format;
        }
    }
    return liveSettings.trackformat;
}

// Every open is non-blocking, so that a FIFO in a log's place fails instead of waiting for
// the other end.
int openAppend(const std::string& path) {
    if (path.empty()) {
        return -1;
    }
    return platform::openFile(platform::devicePath(path),
                              O_WRONLY | O_APPEND | O_CREAT | O_NONBLOCK | O_CLOEXEC, 0644);
}

std::string linesText(const Lines& lines) {
    std::string block;
    for (const std::string& line : lines) {
        block += line;
        block += '\n';
    }
    return block;
}

// Opens, writes the lines as one record and closes; a file that cannot be opened is
// skipped. False when the lines are not on the card.
bool appendLines(const std::string& path, const Lines& lines) {
    const int fd = openAppend(path);
    if (fd < 0) {
        return false;
    }
    const bool written = lines.empty() || appendRecord(fd, linesText(lines));
    ::close(fd);
    return written;
}

int openForReading(const std::string& path) {
    return ::open(platform::devicePath(path).c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
}

// A regular file that holds nothing yet, or none at all: the file still wants its head.
bool wantsHead(const std::string& path) {
    struct stat info {};
    if (::stat(platform::devicePath(path).c_str(), &info) != 0) {
        return true;
    }
    return S_ISREG(info.st_mode) && info.st_size == 0;
}

// Copies the whole of a file onto the end of an open one.
bool appendFileTo(int out, const std::string& path) {
    const int in = openForReading(path);
    if (in < 0) {
        return false;
    }
    char buffer[4096];
    bool ok = true;
    for (;;) {
        const ssize_t got = ::read(in, buffer, sizeof buffer);
        if (got < 0 && errno == EINTR) {
            continue;
        }
        if (got <= 0) {
            ok = got == 0;
            break;
        }
        if (!writeWhole(out, buffer, static_cast<size_t>(got))) {
            ok = false;
            break;
        }
    }
    ::close(in);
    return ok;
}

// True when the file ends with the text.
bool endsWith(const std::string& path, const std::string& text) {
    const int fd = openForReading(path);
    if (fd < 0) {
        return false;
    }
    struct stat info {};
    std::string tail(text.size(), '\0');
    const bool ok =
        ::fstat(fd, &info) == 0 && S_ISREG(info.st_mode) &&
        static_cast<size_t>(info.st_size) >= text.size() &&
        ::pread(fd, &tail[0], tail.size(), info.st_size - static_cast<off_t>(text.size())) ==
            static_cast<ssize_t>(tail.size()) &&
        tail == text;
    ::close(fd);
    return ok;
}

PointValues valuesOf(const TripStats& trip, const TrackPoint& point) {
    PointValues v;
    v.longitude = point.longitude;
    v.latitude = point.latitude;
    v.now = trip.now;
    v.altitudeMetres = trip.altitude;
    v.tripDistance = trip.tripDistance;
    v.speed = trip.speed;
    v.satellites = trip.satellites;
    v.course = trip.course;
    v.speedKmh = gpsFix.speedKmh;
    return v;
}

Lines gpxHead(const std::string& isoTime) {
    return {
        "<?xml version=\"1.0\" encoding=\"ISO-8859-1\" standalone=\"yes\"?>",
        "<gpx",
        "\tversion=\"1.0\"",
        std::string("\tcreator=\"") + kCreator + " (" + kMakerAddress + ")\"",
        std::string("\txmlns:xsi=\"") + kSchemaInstance + "\"",
        std::string("\txmlns=\"") + kGpxNamespace + "\"",
        std::string("\txmlns:topografix=\"") + kTopografixNamespace + "\"",
        std::string("\txsi:schemaLocation=\"") + kGpxNamespace + " " + kGpxSchema + " " +
            kTopografixNamespace + " " + kTopografixSchema + "\">",
        "<time>" + isoTime + "</time>",
        "<rte>",
        "\t<name>" + isoTime + "</name>",
    };
}

Lines kmlHead(const std::string& logName, const std::string& kmlStamp) {
    return {
        "<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?>",
        std::string("<kml xmlns=\"") + kKmlNamespace + "\">",
        "<Folder>",
        "\t<Style id=\"WptIcon\">",
        "\t\t<IconStyle>",
        "\t\t\t<scale>0.75</scale>",
        "\t\t\t<Icon>",
        std::string("\t\t\t\t<href>") + kWaypointIcon + "</href>",
        "\t\t\t</Icon>",
        "\t\t</IconStyle>",
        "\t</Style>",
        "\t<Style id=\"TrkptIcon\">",
        "\t\t<IconStyle>",
        "\t\t\t<scale>0.5</scale>",
        "\t\t\t<Icon>",
        std::string("\t\t\t\t<href>") + kTrackPointIcon + "</href>",
        "\t\t\t</Icon>",
        "\t\t</IconStyle>",
        "\t</Style>",
        "\t<name>" + xmlText(logName) + " : " + kmlStamp + "</name>",
        "\t<Folder>",
        "\t\t<name>Routes</name>",
        "\t\t<Placemark>",
        "\t\t\t<name>" + kmlStamp + "</name>",
        "\t\t\t<Style>",
        "\t\t\t\t<LineStyle>",
        "\t\t\t\t\t<color>800000ff</color>",
        "\t\t\t\t\t<width>2</width>",
        "\t\t\t\t</LineStyle>",
        "\t\t\t</Style>",
        "\t\t\t<MultiGeometry>",
        "\t\t\t<LineString>",
        "\t\t\t\t<coordinates>",
    };
}

std::string csvHeader(Records records) {
    const std::string shortHeader = "\"longitude\",\"latitude\",\"time\",\"location\",\"altitude\"";
    switch (records) {
        case Records::Short:
            return shortHeader;
        case Records::Medium:
            return shortHeader + ",\"distance\"";
        case Records::Long:
            break;
    }
    return shortHeader + ",\"distance\",\"speed\",\"satellites\"";
}

// A finished log ends with this line, which nothing before its end holds.
std::string lastLine(TrackFormat format) {
    return format == TrackFormat::Gpx ? "</gpx>\n" : "</kml>\n";
}

bool isFinished(const std::string& mainPath, TrackFormat format) {
    return endsWith(mainPath, lastLine(format));
}

bool isRegular(const std::string& path) {
    struct stat info {};
    return ::stat(platform::devicePath(path).c_str(), &info) == 0 && S_ISREG(info.st_mode);
}

bool isPresent(const std::string& path) {
    struct stat info {};
    return ::stat(platform::devicePath(path).c_str(), &info) == 0;
}

// A file gets its head when it has none yet: a log cut off between the heads of its files
// gets the missing ones before its next point.
void writeHead(const std::string& path, const Lines& head) {
    if (path.empty() || (head.empty() ? isPresent(path) : !wantsHead(path))) {
        return;
    }
    appendLines(path, head);
}

Lines gpxTrackHead(const std::string& isoTime) {
    return {"<trk>", "\t<name>" + isoTime + "</name>", "\t\t<trkseg>"};
}

Lines kmlWaypointHead() {
    return {"\t<Folder>", "\t\t<name>Waypoints</name>"};
}

Lines kmlTrackHead(const std::string& isoTime) {
    return {"\t<Folder>", "\t\t<name>Trackpoints</name>", "\t\t<Folder>",
            "\t\t\t<name>" + isoTime + "</name>"};
}

void writeMissingHeads(const TripStats& trip, TrackFormat format, Records records) {
    const Settings& s = liveSettings;
    const std::string isoTime = isoTimeText(trip.now);
    switch (format) {
        case TrackFormat::Gpx:
            writeHead(trip.logMainPath, gpxHead(isoTime));
            writeHead(trip.logWaypointPath, {});
            writeHead(trip.logTrackPath, gpxTrackHead(isoTime));
            break;
        case TrackFormat::Kml: {
            char kmlStamp[128];
            std::snprintf(kmlStamp, sizeof kmlStamp, "%02d/%02d/%04d %s", trip.now.day,
                          trip.now.month, trip.now.year,
                          localTimeText(trip.now, s.gmtoffset).c_str());
            writeHead(trip.logMainPath, kmlHead(s.logfilename, kmlStamp));
            writeHead(trip.logWaypointPath, kmlWaypointHead());
            writeHead(trip.logTrackPath, kmlTrackHead(isoTime));
            break;
        }
        case TrackFormat::Csv:
            writeHead(trip.logMainPath, {csvHeader(records)});
            break;
        case TrackFormat::Itn:
        case TrackFormat::Poi:
        case TrackFormat::Nmea:
            break;
    }
}

bool writeLinesTo(int fd, const Lines& lines) {
    const std::string text = linesText(lines);
    return writeWhole(fd, text.data(), text.size());
}

void removeParts(const TripStats& trip) {
    platform::removeFile(platform::devicePath(trip.logWaypointPath));
    platform::removeFile(platform::devicePath(trip.logTrackPath));
}

// A log of this name, finished or not, is on the card.
bool isTaken(const std::string& name) {
    const std::string main = std::string(kLogFolder) + "/" + name;
    return isPresent(main) || isPresent(main + ".rte") || isPresent(main + ".trk");
}

std::string freshLogName(const FixTime& now, const Settings& s) {
    // A GPX or KML file is whole only once it is closed, so a second log of the day must
    // not be added after its closing lines: these formats always get a file of their own.
    const bool ownFile = s.tracksaving == TrackSaving::New || isXml(s.trackformat);
    char stamp[96];
    if (ownFile) {
        std::snprintf(stamp, sizeof stamp, "%04d%02d%02d_%02d%02d%02d", now.year, now.month,
                      now.day, now.hour, now.minute, now.second);
    } else {
        std::snprintf(stamp, sizeof stamp, "%04d%02d%02d", now.year, now.month, now.day);
    }
    const std::string extension = trackLogExtension(s.trackformat);
    std::string name = std::string("tm") + stamp + extension;
    // A second log begun within the same second takes a number after the stamp rather than
    // the files of the first.
    for (int32_t number = 2; ownFile && isTaken(name) && number < kMaxLogNumber; ++number) {
        name = std::string("tm") + stamp + "_" + std::to_string(number) + extension;
    }
    return name;
}

std::string csvLine(const PointTexts& t, const std::string& label, Records records) {
    std::string line =
        t.lon + "," + t.lat + ",\"" + t.localTime + "\",\"" + csvText(label) + "\"," + t.alt;
    if (records == Records::Short) {
        return line;
    }
    line += "," + t.dist;
    if (records == Records::Medium) {
        return line;
    }
    return line + "," + t.speed + "," + t.sats;
}

std::string itnLine(const TrackPoint& point, const PointTexts& t) {
    std::string line =
        std::to_string(point.longitude) + "|" + std::to_string(point.latitude) + "|" + t.localTime;
    if (!point.label.empty()) {
        line += " - " + itnText(point.label);
    }
    line += " - " + itnText(t.alt);
    if (point.records != Records::Short) {
        line += " - " + itnText(t.dist);
    }
    if (point.records == Records::Long) {
        line += " - " + itnText(t.speed) + " - " + t.sats;
    }
    return line + "|0|";
}

// One GPX point between its opening and closing tags; the texts are XML-safe already.
std::string gpxPoint(const char* open, const char* close, const PointTexts& t,
                     const std::string& label) {
    return std::string(open) + t.lon + "\" lat=\"" + t.lat + "\"><name>" + label + "</name><desc>" +
           t.dist + "</desc><cmt>" + t.speed + "</cmt><time>" + t.isoTime + "</time><speed>" +
           t.gpxSpeed + "</speed><ele>" + t.rawAlt + "</ele><sat>" + t.sats + "</sat><course>" +
           t.course + close;
}

void writeGpxPoint(const TripStats& trip, const TrackPoint& point, const PointTexts& t) {
    const std::string label = xmlText(point.label);
    if (point.isWaypoint) {
        appendLines(trip.logMainPath, {gpxPoint("\t<rtept lon=\"", "</course></rtept>", t, label)});
        appendLines(trip.logWaypointPath, {gpxPoint("<wpt lon=\"", "</course></wpt>", t, label)});
    }
    appendLines(trip.logTrackPath, {gpxPoint("\t\t<trkpt lon=\"", "</course></trkpt>", t, label)});
}

void writeKmlPoint(const TripStats& trip, const TrackPoint& point, const PointTexts& t) {
    const std::string coordinates = t.lon + "," + t.lat + "," + t.rawAlt;
    const std::string label = xmlText(point.label);
    const std::string figures = t.localTime + " - " + t.dist + " - " + t.speed + " - " + t.alt +
                                " - " + t.sats + "</description>";
    appendLines(trip.logMainPath, {"\t\t\t\t" + coordinates});
    if (point.isWaypoint) {
        appendLines(trip.logWaypointPath,
                    {
                        "\t\t<Placemark>",
                        "\t\t\t<name>" + label + "</name>",
                        "\t\t\t<styleUrl>#WptIcon</styleUrl>",
                        "\t\t\t<description>" + figures,
                        "\t\t\t<Point><coordinates>" + coordinates + "</coordinates></Point>",
                        "\t\t</Placemark>",
                    });
    }
    const std::string labelColon = label.empty() ? std::string() : label + " : ";
    appendLines(
        trip.logTrackPath,
        {
            "\t\t\t<Placemark><visibility>1</visibility>",
            "\t\t\t\t<name></name>",
            "\t\t\t\t<styleUrl>#TrkptIcon</styleUrl>",
            "\t\t\t\t<TimeInstant><timePosition>" + t.isoTime + "</timePosition></TimeInstant>",
            "\t\t\t\t<description>" + labelColon + figures,
            "\t\t\t\t<Point><coordinates>" + coordinates + "</coordinates></Point>",
            "\t\t\t</Placemark>",
        });
}

void sendPoi(const TripStats& trip, const TrackPoint& point) {
    NavigatorCommands* commands = navigatorCommands();
    if (commands == nullptr) {
        return;
    }
    // A "|" would end the argument and split the name into more of them.
    const std::string name = std::to_string(trip.pointsLogged) + ":" + itnText(point.label);
    int32_t status = 0;
    (void)commands->AddPoi(status, liveSettings.logfilename.c_str(), point.longitude,
                           point.latitude, name.c_str(), kEmptyDescription);
}

void writeNmea(const TripStats& trip) {
    Lines lines;
    for (const std::string* raw : {&gpsFix.lastRmc, &gpsFix.lastGga, &gpsFix.lastVtg}) {
        const std::string sentence = oneLine(*raw);
        if (!sentence.empty()) {
            lines.push_back("$" + sentence);
        }
    }
    if (!lines.empty()) {
        appendLines(trip.logMainPath, lines);
    }
}

}  // namespace

std::string trackLogExtension(TrackFormat format) {
    switch (format) {
        case TrackFormat::Csv:
            return ".csv";
        case TrackFormat::Gpx:
            return ".gpx";
        case TrackFormat::Kml:
            return ".kml";
        case TrackFormat::Poi:
            return ".poi";
        case TrackFormat::Nmea:
            return ".nmea";
        case TrackFormat::Itn:
            break;
    }
    return ".itn";
}

void nameTrackLog(TripStats& trip) {
    Settings& s = liveSettings;
    if (s.logfilename == "none") {
        s.logfilename = freshLogName(trip.now, s);
    }
    trip.logMainPath = std::string(kLogFolder) + "/" + s.logfilename;
    if (isXml(formatOfLog(s.logfilename))) {
        trip.logWaypointPath = trip.logMainPath + ".rte";
        trip.logTrackPath = trip.logMainPath + ".trk";
    } else {
        trip.logWaypointPath.clear();
        trip.logTrackPath.clear();
    }
    workingSettings.logfilename = s.logfilename;
    writeSettings(s);
}

void cutLogToWholeRecords(const TripStats& trip, TrackFormat format) {
    const std::string any;
    switch (format) {
        case TrackFormat::Gpx:
            cutToWholeRecords(platform::devicePath(trip.logMainPath), {gpxHead(any).size()});
            cutToWholeRecords(platform::devicePath(trip.logWaypointPath), {});
            cutToWholeRecords(platform::devicePath(trip.logTrackPath), {gpxTrackHead(any).size()});
            break;
        case TrackFormat::Kml:
            cutToWholeRecords(platform::devicePath(trip.logMainPath), {kmlHead(any, any).size()});
            cutToWholeRecords(platform::devicePath(trip.logWaypointPath),
                              {kmlWaypointHead().size(), "\t\t</Placemark>"});
            cutToWholeRecords(platform::devicePath(trip.logTrackPath),
                              {kmlTrackHead(any).size(), "\t\t\t</Placemark>"});
            break;
        case TrackFormat::Csv:
            cutToWholeRecords(platform::devicePath(trip.logMainPath), {1});
            break;
        case TrackFormat::Itn:
        case TrackFormat::Nmea:
            cutToWholeRecords(platform::devicePath(trip.logMainPath), {});
            break;
        case TrackFormat::Poi:
            break;
    }
}

bool resumeTrackLog(TripStats& trip) {
    nameTrackLog(trip);
    const TrackFormat format = formatOfLog(trip.logMainPath);
    if (!isXml(format) || !isFinished(trip.logMainPath, format)) {
        cutLogToWholeRecords(trip, format);
        return true;
    }
    // The power went after the finished file took the main file's place and before the
    // name was cleared: what is left of the stop is done now.
    removeParts(trip);
    liveSettings.logfilename = "none";
    workingSettings.logfilename = "none";
    writeSettings(liveSettings);
    return false;
}

void beginTrackLog(TripStats& trip, Records records) {
    writeMissingHeads(trip, formatOfLog(trip.logMainPath), records);
    trip.pointsLogged = 0;
}

bool writeTrackPoint(TripStats& trip, const LanguageTexts& texts, const TrackPoint& point) {
    trip.pointsLogged += 1;
    const Settings& s = liveSettings;
    const TrackFormat format = formatOfLog(trip.logMainPath);
    writeMissingHeads(trip, format, point.records);
    const bool csv = format == TrackFormat::Csv;
    PointTexts t = pointTexts(valuesOf(trip, point), s, texts, csv);
    if (isXml(format)) {
        // The unit texts come from a language file and may hold "&" or "<" too.
        t.alt = xmlText(t.alt);
        t.dist = xmlText(t.dist);
        t.speed = xmlText(t.speed);
    }
    switch (format) {
        case TrackFormat::Csv:
            appendLines(trip.logMainPath, {csvLine(t, point.label, point.records)});
            break;
        case TrackFormat::Gpx:
            writeGpxPoint(trip, point, t);
            break;
        case TrackFormat::Itn:
            appendLines(trip.logMainPath, {itnLine(point, t)});
            break;
        case TrackFormat::Kml:
            writeKmlPoint(trip, point, t);
            break;
        case TrackFormat::Poi:
            sendPoi(trip, point);
            break;
        case TrackFormat::Nmea:
            writeNmea(trip);
            break;
    }
    return true;
}

bool finishTrackLog(TripStats& trip, const LanguageTexts& texts, DashboardLayout* dashboard) {
    const TrackFormat format = formatOfLog(trip.logMainPath);
    if (!isXml(format)) {
        return true;
    }
    if (isFinished(trip.logMainPath, format)) {
        removeParts(trip);
        return true;
    }
    if (!isRegular(trip.logMainPath) || !isRegular(trip.logWaypointPath) ||
        !isRegular(trip.logTrackPath)) {
        return false;
    }
    if (dashboard != nullptr) {
        dashboard->showMessage(text(texts, kClosingText));
    }
    flush(trip.page != Page::AwaitingTimeHidden && trip.page != Page::RunningHidden);
    const bool gpx = format == TrackFormat::Gpx;
    const Lines mainEnd = gpx ? Lines{"</rte>"}
                              : Lines{"\t\t\t\t</coordinates>", "\t\t\t</LineString>",
                                      "\t\t\t</MultiGeometry>", "\t\t</Placemark>", "\t</Folder>"};
    const Lines waypointEnd = gpx ? Lines{} : Lines{"\t</Folder>"};
    const Lines trackEnd = gpx ? Lines{"\t</trkseg>", "</trk>", "</gpx>"}
                               : Lines{"\t\t</Folder>", "\t</Folder>", "</Folder>", "</kml>"};
    // The whole log is made beside the main file and then takes its place, so that a cut or
    // a full card at any moment leaves either the open log with its parts or the finished
    // one; the parts go only once the finished file is there.
    const bool joined = replaceFile(platform::devicePath(trip.logMainPath), [&](int fd) {
        return appendFileTo(fd, trip.logMainPath) && writeLinesTo(fd, mainEnd) &&
               appendFileTo(fd, trip.logWaypointPath) && writeLinesTo(fd, waypointEnd) &&
               appendFileTo(fd, trip.logTrackPath) && writeLinesTo(fd, trackEnd);
    });
    if (!joined) {
        return false;
    }
    removeParts(trip);
    return true;
}

}  // namespace kelvaro
