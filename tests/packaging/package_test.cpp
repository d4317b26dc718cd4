// The device package (scripts/make-package.sh), unpacked into an empty folder as onto a
// card's root: the files the program opens on the card are there, the program is stripped,
// and the simulator given that folder as its card leaves the same files as on its own fresh
// card. KELVARO_PACKAGE names the package (scripts/test-package.sh sets it); without it the
// tests skip.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "app/application.h"
#include "app/settings.h"
#include "tests/support/sim_runner.h"
#include "tests/support/temp_root.h"

namespace kelvaro {
namespace {

namespace fs = std::filesystem;

constexpr const char* kCard = "/mnt/sdcard";
constexpr const char* kBootPrefix = "daemon|";
// What the package holds besides the project's card content, as paths on the card.
const char* const kPackageOwnFiles[] = {"/kelvaro/kelvaro", "/kelvaro/VERSION",
                                        "/kelvaro/INSTALL.txt"};

// The line of INSTALL.txt that starts the program at boot, as the owner copies it.
std::string bootLine(const std::string& install) {
    std::istringstream lines(install);
    for (std::string line; std::getline(lines, line);) {
        const size_t start = line.find(kBootPrefix);
        if (start != std::string::npos && line.find_first_not_of(' ') == start) {
            return line.substr(start);
        }
    }
    return "";
}

template <typename T>
T little(const std::string& bytes, size_t at) {
    T value = 0;
    for (size_t i = 0; i < sizeof(T) && at + i < bytes.size(); ++i) {
        value |= static_cast<T>(static_cast<T>(static_cast<uint8_t>(bytes[at + i])) << (8 * i));
    }
    return value;
}

// Whether an ELF file still has a symbol table. (That the program is a static ARM EABI5
// one is checked on the same target by the device build, which the package is made from.)
bool hasSymbols(const std::string& elf) {
    static const char kMagic[] = {0x7f, 'E', 'L', 'F'};
    if (elf.size() < 52 || elf.compare(0, 4, kMagic, 4) != 0) {
        return true;
    }
    const uint32_t sections = little<uint32_t>(elf, 32);
    for (uint16_t i = 0; i < little<uint16_t>(elf, 48); ++i) {
        if (little<uint32_t>(elf, sections + i * 40u + 4) == 2) {  // SHT_SYMTAB
            return true;
        }
    }
    return false;
}

class Package : public testing::Test {
  protected:
    void SetUp() override {
        const char* package = std::getenv("KELVARO_PACKAGE");
        if (package == nullptr || *package == '\0') {
            GTEST_SKIP() << "KELVARO_PACKAGE names no package; scripts/test-package.sh runs "
                            "these tests on the one the device build made";
        }
        ASSERT_TRUE(fs::is_regular_file(package)) << package;
        const std::string unzip = "cmake -E chdir '" + card_.root() + "' cmake -E tar xf '" +
                                  fs::absolute(package).string() + "'";
        ASSERT_EQ(std::system(unzip.c_str()), 0) << unzip;
        install_ = card_.read("/kelvaro/INSTALL.txt");
    }

    test::TempRoot card_;  // the empty folder the package is unpacked into: the card's root
    std::string install_;
};

TEST_F(Package, HoldsEveryFileTheProgramOpensOnTheCard) {
    const Settings defaults;
    const std::string boot = bootLine(install_);
    ASSERT_TRUE(!boot.empty() && boot.back() == '|') << "no boot line in INSTALL.txt";
    const size_t prefix = std::strlen(kBootPrefix);
    const std::string program = boot.substr(prefix, boot.size() - 1 - prefix);
    const std::string named[] = {
        defaults.alarmfilename,
        std::string(kApplicationFolder) + "/" + defaults.language,
        kSpeedZoneImagePath,
        kSpeedLimitImagePath,
        std::string(kCard) + "/" + program,
    };
    for (const std::string& path : named) {
        SCOPED_TRACE(path);
        ASSERT_EQ(path.rfind(kCard, 0), 0u);
        EXPECT_TRUE(fs::is_regular_file(card_.path(path.substr(std::strlen(kCard)))));
    }
    EXPECT_NE(fs::status(card_.path("/" + program)).permissions() & fs::perms::owner_exec,
              fs::perms::none);

    EXPECT_FALSE(hasSymbols(card_.read("/" + program))) << "not stripped, or no ELF file";

    const std::string version = card_.read("/kelvaro/VERSION");
    EXPECT_EQ(version.rfind("Kelvaro ", 0), 0u) << version;
    const size_t commit = version.find("\ncommit ");
    ASSERT_NE(commit, std::string::npos) << version;
    EXPECT_EQ(version.find_first_not_of("0123456789abcdef", commit + 8), commit + 48) << version;
}

// The tour on the town drive, from the same start-at-boot list, once on a card filled from
// the unpacked package and once on the simulator's own: every file the runs leave is the
// same, and the package's card holds only its own three files more.
TEST_F(Package, SimulatorRunsOnItsContentAsOnItsOwnCard) {
    const std::string boot = bootLine(install_);
    const std::vector<std::string> tour = {"--nmea", test::dataFile("drives/town.nmea"), "--events",
                                           test::dataFile("tour.events")};
    test::TempRoot fromPackage;
    test::TempRoot own;
    std::vector<std::string> packageArgs = tour;
    packageArgs.insert(packageArgs.end(), {"--card", card_.root()});
    for (const test::TempRoot* root : {&fromPackage, &own}) {
        root->write(std::string(kCard) + "/cleanup.txt", boot + "\n");
    }
    const test::SimRun packageRun = test::runSimulator(packageArgs, fromPackage.root());
    const test::SimRun ownRun = test::runSimulator(tour, own.root());
    EXPECT_EQ(packageRun.exitStatus, 0);
    EXPECT_EQ(ownRun.exitStatus, 0);
    EXPECT_GT(test::reportValue(ownRun.report, "frames_written"), 20.0);
    EXPECT_NE(fromPackage.read("/mnt/sdcard/kelvaro/config.txt").find("\nbootstart yes\n"),
              std::string::npos);

    std::map<std::string, std::string> packageFiles = test::filesUnder(fromPackage.root());
    for (const char* extra : kPackageOwnFiles) {
        EXPECT_EQ(packageFiles.erase(std::string(kCard) + extra), 1u) << extra;
    }
    const std::map<std::string, std::string> ownFiles = test::filesUnder(own.root());
    for (const auto& [path, content] : ownFiles) {
        SCOPED_TRACE(path);
        const auto other = packageFiles.find(path);
        ASSERT_NE(other, packageFiles.end()) << "missing after the run on the package";
        EXPECT_TRUE(other->second == content) << "differs after the run on the package";
    }
    for (const auto& [path, content] : packageFiles) {
        EXPECT_EQ(ownFiles.count(path), 1u) << path << " only after the run on the package";
    }
}

}  // namespace
}  // namespace kelvaro
