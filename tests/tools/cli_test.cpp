// Tests of the command-line tool, driven in-process through RunCli: command
// lines it must refuse, the shape of each subcommand's output, and gain and
// contour tables checked against values derived here from the patterns'
// formulas in the standard library's catalogue.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <sstream>
#include <string>
#include <vector>

#include "kam/kam.h"
#include "tools/cli.h"

namespace {

struct Result {
    int code;
    std::string out;
    std::string err;
};

Result Cli(std::vector<const char*> args) {
    args.insert(args.begin(), "kam");
    std::ostringstream out, err;
    const int code = kamtool::RunCli(static_cast<int>(args.size()), args.data(), out, err);
    return {code, out.str(), err.str()};
}

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
}

// A row of a gain or contour table: the angle or level, two values ("-" for
// an absent one) and the status.
struct Row {
    double x;
    std::string value;
    std::string valueX;
    int status;
};

std::vector<Row> TableRows(const std::string& text) {
    std::vector<Row> rows;
    for (const std::string& line : Lines(text)) {
        std::istringstream in(line);
        Row row;
        std::string first;
        if (!(in >> first >> row.value >> row.valueX >> row.status)) continue;
        std::istringstream number(first);
        if (!(number >> row.x)) continue;
        std::string rest;
        if (in >> rest) continue;
        rows.push_back(row);
    }
    return rows;
}

double Value(const std::string& text) { return std::stod(text); }

// One rendered event line, built from the line format the event log uses.
std::string EventLine(const std::string& library, const std::string& pattern,
                      const std::string& severity, int code, const std::string& text) {
    char line[512];
    std::snprintf(line, sizeof line, "KAM-> %12.12s/%12.12s/ %.7s#%6d. %s", library.c_str(),
                  pattern.c_str(), severity.c_str(), code, text.c_str());
    return line;
}

bool Contains(const std::string& haystack, const std::string& needle) {
    return haystack.find(needle) != std::string::npos;
}

constexpr double kSpeedOfLight = 299792458.0;
constexpr double kTolerance = 6e-5;  // tables print four decimals

// Restores the input-validation switch whatever a case does to it.
class CliTest : public ::testing::Test {
protected:
    void SetUp() override { KAM_IfInited(); }
    void TearDown() override {
        KAM_EnableInputParamValid();
        KAM_SetNullEventHandler();
    }
};

TEST_F(CliTest, RefusesCommandLinesItCannotUnderstand) {
    struct Case {
        std::vector<const char*> args;
        const char* message;
    };
    const Case cases[] = {
        {{}, "usage"},
        {{"frobnicate"}, "unknown command"},
        {{"gain"}, "missing PATTERN"},
        {{"gain", "FSREF_001_V1", "--gainmax", "abc"}, "not a number"},
        {{"gain", "FSREF_001_V1", "--gainmax", "45x"}, "not a number"},
        {{"gain", "FSREF_001_V1", "--bogus", "1"}, "bogus"},
        {{"gain", "FSREF_001_V1", "--step", "0"}, "--step"},
        {{"gain", "FSREF_001_V1", "--from", "10", "--to", "5"}, "--step"},
        {{"gain", "FSREF_001_V1", "--angles", "1,,2"}, "not a number"},
        {{"patterns", "--type", "sideways"}, "--type"},
        {{"contour", "GSOSS_101_V1", "--levels", "-3,x"}, "not a number"},
        {{"legacy"}, "missing NAME"},
        {{"describe", "FSREF_001_V1", "extra"}, "unexpected argument"},
        {{"gain", "ISOTR_013_V1", "--gainmax", "10", "--specific", "1"}, "no specific structure"},
        {{"gain", "PARAB_014_V1", "--gainmax", "10", "--phi0", "2", "--specific", "-20,1"},
         "takes 1 specific values"},
        {{"gain", "PARAB_014_V1", "--gainmax", "10", "--phi0", "2", "--specific", "depth=-20"},
         "no specific element 'depth'"},
    };
    for (const Case& c : cases) {
        const Result r = Cli(c.args);
        std::string shown;
        for (const char* a : c.args) shown += std::string(a) + " ";
        EXPECT_EQ(r.code, kamtool::kExitUsage) << shown;
        EXPECT_TRUE(Contains(r.err, c.message)) << shown << "\n" << r.err;
    }
}

TEST_F(CliTest, HelpGoesToOutput) {
    const Result top = Cli({"help"});
    EXPECT_EQ(top.code, kamtool::kExitOk);
    for (const char* command : {"libraries", "patterns", "describe", "gain", "contour", "legacy", "demo"})
        EXPECT_TRUE(Contains(top.out, command)) << command;
    const Result gain = Cli({"gain", "--help"});
    EXPECT_EQ(gain.code, kamtool::kExitOk);
    EXPECT_TRUE(Contains(gain.out, "--gainmax"));
    EXPECT_TRUE(gain.err.empty());
}

// The version printed is the project's, handed to this test by the build.
TEST_F(CliTest, VersionIsTheProjectVersion) {
    const Result r = Cli({"--version"});
    EXPECT_EQ(r.code, kamtool::kExitOk);
    EXPECT_EQ(r.out, std::string("kam ") + KAM_PROJECT_VERSION + "\n");
    EXPECT_TRUE(r.err.empty());
}

TEST_F(CliTest, LibrariesShowsTheStandardLibrary) {
    const Result r = Cli({"libraries"});
    ASSERT_EQ(r.code, kamtool::kExitOk) << r.out << r.err;
    bool found = false;
    for (const std::string& line : Lines(r.out)) {
        std::istringstream in(line);
        std::string name, version;
        int patterns = 0, earth = 0, space = 0;
        if (!(in >> name >> version >> patterns >> earth >> space) || name != "KAM_Std") continue;
        found = true;
        EXPECT_EQ(version.rfind("1.0.", 0), 0u) << line;
        EXPECT_EQ(patterns, 45);
        EXPECT_EQ(earth, 29);
        EXPECT_EQ(space, 16);
    }
    EXPECT_TRUE(found) << r.out;
}

TEST_F(CliTest, LoadReportsStatusesAndEvents) {
    const Result missing = Cli({"libraries", "--load", "/nonexistent/libNoSuchPatterns.so"});
    EXPECT_EQ(missing.code, kamtool::kExitFailed);
    EXPECT_TRUE(Contains(missing.out, "status -2002")) << missing.out;
    EXPECT_TRUE(Contains(missing.out, "DLL not found. Wrong filename or file format.")) << missing.out;

    // The standard library is already loaded: a warning, so the command succeeds.
    const Result again = Cli({"libraries", "--load", "KAM_Std.dll"});
    EXPECT_EQ(again.code, kamtool::kExitOk);
    EXPECT_TRUE(Contains(again.out, "status 2008 (warning)")) << again.out;
    EXPECT_TRUE(Contains(again.out, "DLL is already loaded.")) << again.out;
}

TEST_F(CliTest, PatternsListsNamesTypesPropertiesAndTitles) {
    struct Case {
        const char* type;
        std::size_t count;
    };
    for (const Case& c : {Case{"any", 45}, Case{"earth", 29}, Case{"space", 16}}) {
        const Result r = Cli({"patterns", "--library", "KAM_Std", "--type", c.type});
        ASSERT_EQ(r.code, kamtool::kExitOk) << r.err;
        std::size_t rows = 0;
        for (const std::string& line : Lines(r.out)) {
            std::istringstream in(line);
            std::string name, type;
            if (!(in >> name >> type) || name.size() != 12 || name[5] != '_') continue;
            ++rows;
            if (std::string(c.type) != "any") {
                EXPECT_EQ(type, c.type) << line;
            }
        }
        EXPECT_EQ(rows, c.count) << c.type;
    }
    // Properties in parameter order, and the title, of two catalogue entries.
    const Result all = Cli({"patterns"});
    bool fsref = false, gsoss = false;
    for (const std::string& line : Lines(all.out)) {
        if (line.find("FSREF_001_V1") != std::string::npos) {
            fsref = true;
            EXPECT_TRUE(Contains(line, "earth  R N O O N N R N")) << line;
            EXPECT_TRUE(Contains(line, "FSS earth station reference pattern")) << line;
        }
        if (line.find("GSOSS_101_V1") != std::string::npos) {
            gsoss = true;
            EXPECT_TRUE(Contains(line, "space  O N N N N N R R")) << line;
        }
    }
    EXPECT_TRUE(fsref && gsoss) << all.out;
}

TEST_F(CliTest, DescribeShowsParametersAndSpecificElements) {
    const Result parab = Cli({"describe", "PARAB_014_V1"});
    ASSERT_EQ(parab.code, kamtool::kExitOk) << parab.out << parab.err;
    EXPECT_TRUE(Contains(parab.out, "type       earth"));
    bool floorRow = false, phi0Row = false;
    for (const std::string& line : Lines(parab.out)) {
        std::istringstream in(line);
        std::string first, second, third, fourth;
        in >> first >> second >> third;
        if (first == "Phi0") phi0Row = third == "required";
        if (second == "floor") {
            floorRow = true;
            std::string type;
            int offset = -1;
            double def = 0, lowest = 0, highest = 0;
            in >> type >> offset >> def >> lowest >> highest;
            EXPECT_EQ(third, "dB");
            EXPECT_EQ(type, "double");
            EXPECT_EQ(offset, 0);
            EXPECT_DOUBLE_EQ(def, -30);
            EXPECT_DOUBLE_EQ(lowest, -100);
            EXPECT_DOUBLE_EQ(highest, -3);
        }
    }
    EXPECT_TRUE(floorRow && phi0Row) << parab.out;

    const Result fsref = Cli({"describe", "FSREF_001_V1"});
    EXPECT_EQ(fsref.code, kamtool::kExitOk);
    EXPECT_TRUE(Contains(fsref.out, "specific structure: none")) << fsref.out;

    const Result unknown = Cli({"describe", "NOSUCH_999"});
    EXPECT_EQ(unknown.code, kamtool::kExitFailed);
    EXPECT_TRUE(Contains(unknown.out, "status -2005")) << unknown.out;
    EXPECT_TRUE(Contains(unknown.out, "Pattern not found.")) << unknown.out;
}

// FSREF_001_V1 with D = 2 m at 12 GHz: d = 80.06 >= 50, so phimin =
// max(1, 100/d); GainMax up to phimin, 32 - 25 log(phi) up to 48, -10 beyond.
TEST_F(CliTest, EarthGainTableFollowsTheReferencePattern) {
    const Result r = Cli({"gain", "FSREF_001_V1", "--gainmax", "45", "--diameter", "2",
                          "--frequency", "12000", "--angles", "0,1,1.2,2,10,47,48,90,180"});
    ASSERT_EQ(r.code, kamtool::kExitOk) << r.out << r.err;
    const double d = 2.0 / (kSpeedOfLight / 12000e6);
    const double phimin = std::max(1.0, 100.0 / d);
    const auto expected = [&](double phi) {
        if (phi < phimin) return 45.0;
        if (phi < 48) return 32 - 25 * std::log10(phi);
        return -10.0;
    };
    const std::vector<Row> rows = TableRows(r.out);
    ASSERT_EQ(rows.size(), 9u) << r.out;
    for (const Row& row : rows) {
        EXPECT_EQ(row.status, 0) << row.x;
        EXPECT_NEAR(Value(row.value), expected(row.x), kTolerance) << row.x;
        EXPECT_EQ(row.valueX, "-") << row.x;  // co-polar only
    }
}

// BSSRX_012_V1 computes its own peak, 10 log(0.65 (pi d)^2), and has a
// cross-polar curve: 25 dB under the peak on the axis.
TEST_F(CliTest, CrossPolarGainHasItsOwnColumn) {
    const Result r = Cli({"gain", "BSSRX_012_V1", "--diameter", "0.6", "--frequency", "12000",
                          "--angles", "0"});
    ASSERT_EQ(r.code, kamtool::kExitOk) << r.out << r.err;
    const double d = 0.6 / (kSpeedOfLight / 12000e6);
    const double peak = 10 * std::log10(0.65 * std::pow(3.14159265358979323846 * d, 2));
    const std::vector<Row> rows = TableRows(r.out);
    ASSERT_EQ(rows.size(), 1u) << r.out;
    EXPECT_NEAR(Value(rows[0].value), peak, kTolerance);
    EXPECT_NEAR(Value(rows[0].valueX), peak - 25, kTolerance);
}

// PARAB_014_V1: G = GainMax + max(-12 (phi/Phi0)^2, floor), with the floor
// given by name and by position.
TEST_F(CliTest, SpecificStructureIsBuiltFromItsDescription) {
    for (const char* specific : {"floor=-20", "-20"}) {
        const Result r = Cli({"gain", "PARAB_014_V1", "--gainmax", "30", "--phi0", "2",
                              "--specific", specific, "--from", "0", "--to", "4", "--step", "0.5"});
        ASSERT_EQ(r.code, kamtool::kExitOk) << r.out << r.err;
        const std::vector<Row> rows = TableRows(r.out);
        ASSERT_EQ(rows.size(), 9u) << r.out;
        for (const Row& row : rows)
            EXPECT_NEAR(Value(row.value), 30 + std::max(-12 * std::pow(row.x / 2, 2), -20.0),
                        kTolerance)
                << specific << " at " << row.x;
    }
}

// GSOSS_101_V1 (LS -20): -3 (psi/psi0)^2 up to 2.58 psi0, LS up to 6.32 psi0,
// LS + 20 - 25 log(psi/psi0) up to psi1, then 0 dBi.
TEST_F(CliTest, SpaceGainTableFollowsTheGsoPattern) {
    const double gmax = 40, psi0 = 0.8;
    const Result r = Cli({"gain", "GSOSS_101_V1", "--gainmax", "40", "--phi0", "0.8", "--angles",
                          "0,0.8,2,3,5,10,31,40,90"});
    ASSERT_EQ(r.code, kamtool::kExitOk) << r.out << r.err;
    const double psi1 = psi0 * std::pow(10.0, (gmax - 20 + 20 - 0) / 25);
    const auto expected = [&](double psi) {
        if (psi <= 2.58 * psi0) return gmax - 3 * std::pow(psi / psi0, 2);
        if (psi <= 6.32 * psi0) return gmax - 20;
        if (psi <= psi1) return gmax - 20 + 20 - 25 * std::log10(psi / psi0);
        return 0.0;
    };
    const std::vector<Row> rows = TableRows(r.out);
    ASSERT_EQ(rows.size(), 9u) << r.out;
    for (const Row& row : rows) {
        EXPECT_EQ(row.status, 0) << row.x;
        EXPECT_NEAR(Value(row.value), expected(row.x), kTolerance) << row.x;
    }
}

TEST_F(CliTest, ContourTableFollowsTheGsoPattern) {
    const double psi0 = 0.8;
    const Result r = Cli({"contour", "GSOSS_101_V1", "--phi0", "0.8", "--levels", "-3,-10,-30"});
    ASSERT_EQ(r.code, kamtool::kExitOk) << r.out << r.err;
    const auto expected = [&](double level) {
        if (level >= -3 * 2.58 * 2.58) return psi0 * std::sqrt(-level / 3);
        if (level >= -20) return 2.58 * psi0;
        return std::max(6.32 * psi0, psi0 * std::pow(10.0, (-20 + 20 - level) / 25));
    };
    const std::vector<Row> rows = TableRows(r.out);
    ASSERT_EQ(rows.size(), 3u) << r.out;
    for (const Row& row : rows) {
        EXPECT_EQ(row.status, 0) << row.x;
        EXPECT_NEAR(Value(row.value), expected(row.x), kTolerance) << row.x;
        EXPECT_EQ(row.valueX, "-");
    }
}

TEST_F(CliTest, FailedCallsShowTheirStatusAndEventLines) {
    // Phi -10 lies outside its hard limits; the other rows compute.
    const Result r = Cli({"gain", "ISOTR_013_V1", "--gainmax", "10", "--from", "-10", "--to", "10",
                          "--step", "10"});
    EXPECT_EQ(r.code, kamtool::kExitFailed);
    const std::vector<Row> rows = TableRows(r.out);
    ASSERT_EQ(rows.size(), 3u) << r.out;
    EXPECT_EQ(rows[0].status, KAM_E_HARD_LIMIT - KAM_PARAM_PHI);
    EXPECT_EQ(rows[0].value, "-");
    EXPECT_EQ(rows[1].status, 0);
    EXPECT_NEAR(Value(rows[1].value), 10, kTolerance);
    EXPECT_TRUE(Contains(r.out, EventLine("KAM_Std", "ISOTR_013_V1", "Error  ", -5206,
                                          "TL Valid. Phi (-1.00000e+01) is out of limits "
                                          "[0.00000e+00,1.80000e+02].")))
        << r.out;

    // A level the isotropic pattern never reaches: no angle, and the status.
    const Result never = Cli({"contour", "ISOTR_111_V1", "--levels", "-3"});
    EXPECT_EQ(never.code, kamtool::kExitFailed);
    const std::vector<Row> neverRows = TableRows(never.out);
    ASSERT_EQ(neverRows.size(), 1u) << never.out;
    EXPECT_EQ(neverRows[0].status, -6010);
    EXPECT_EQ(neverRows[0].value, "-");
    EXPECT_TRUE(Contains(never.out, "KAM->      KAM_Std/ISOTR_111_V1/ Error  # -6010. ")) << never.out;

    // An earth pattern has no contour: the type mismatch is reported.
    const Result contour = Cli({"contour", "FSREF_001_V1", "--phi0", "1", "--levels", "-3"});
    EXPECT_EQ(contour.code, kamtool::kExitFailed);
    EXPECT_TRUE(Contains(contour.out, EventLine("KAM_Std", "FSREF_001_V1", "Error  ", -2006,
                                                "Pattern type mismatch.")))
        << contour.out;
}

TEST_F(CliTest, NoValidateSwitchesValidationOffForOneCommand) {
    ASSERT_EQ(KAM_IfInputParamValidEnabled(), 1);
    const Result r = Cli({"gain", "ISOTR_013_V1", "--gainmax", "10", "--angles", "-10",
                          "--no-validate"});
    EXPECT_EQ(r.code, kamtool::kExitOk) << r.out;
    const std::vector<Row> rows = TableRows(r.out);
    ASSERT_EQ(rows.size(), 1u) << r.out;
    EXPECT_EQ(rows[0].status, 0);
    EXPECT_NEAR(Value(rows[0].value), 10, kTolerance);
    EXPECT_EQ(KAM_IfInputParamValidEnabled(), 1);
}

TEST_F(CliTest, NumbersOfTheOtherPatternTypeAreIgnoredWithANote) {
    const Result earth = Cli({"gain", "ISOTR_013_V1", "--gainmax", "10", "--beamlet", "2",
                              "--angles", "5"});
    EXPECT_EQ(earth.code, kamtool::kExitOk);
    EXPECT_TRUE(Contains(earth.err, "--beamlet does not apply to earth patterns")) << earth.err;
    const Result space = Cli({"gain", "ISOTR_111_V1", "--gainmax", "10", "--diameter", "2",
                              "--angles", "5"});
    EXPECT_EQ(space.code, kamtool::kExitOk);
    EXPECT_TRUE(Contains(space.err, "--diameter does not apply to space patterns")) << space.err;
    ASSERT_EQ(TableRows(space.out).size(), 1u) << space.out;
    EXPECT_EQ(TableRows(space.out)[0].status, 0);  // not passed on, so no warning
}

TEST_F(CliTest, LegacyConvertsPaddedDesignations) {
    struct Case {
        std::vector<const char*> args;
        int code;
        const char* expected;  // text the output must hold
    };
    const Case cases[] = {
        {{"legacy", "ES-REF      "}, kamtool::kExitOk, "-> FSREF_001_V1"},
        {{"legacy", "--pad", "ES-REF"}, kamtool::kExitOk, "-> FSREF_001_V1"},
        {{"legacy", "SS-FRO(Bmin)"}, kamtool::kExitOk, "-> FROFF_109_V1"},
        {{"legacy", "--pad", "SS-LS25"}, kamtool::kExitOk, "-> GSOSS_102_V1"},
        {{"legacy", "ES-REF"}, kamtool::kExitFailed, "\"ES-REF      \" -> FSREF_001_V1 (use --pad)"},
        {{"legacy", "--pad", "NO-SUCH"}, kamtool::kExitFailed, "status -2005"},
    };
    for (const Case& c : cases) {
        const Result r = Cli(c.args);
        EXPECT_EQ(r.code, c.code) << c.args.back();
        EXPECT_TRUE(Contains(r.out, c.expected)) << c.args.back() << "\n" << r.out;
    }
}

TEST_F(CliTest, DemoShowsCatalogueGainTablesAndContour) {
    const Result r = Cli({"demo"});
    ASSERT_EQ(r.code, kamtool::kExitOk) << r.out << r.err;
    for (const char* text : {"KAM_Std", "GSOCO_005_V1", "GSOSS_101_V1", "AIRYS_116_V1",
                             "gain [dBi]", "level [dB]"})
        EXPECT_TRUE(Contains(r.out, text)) << text;
    // GSOCO_005_V1, 2.4 m at 14 GHz (d > 100): 32 - 25 log(phi) at 10 degrees,
    // GainMax on the axis.
    bool axis = false, ten = false;
    const std::string table = r.out.substr(r.out.find("GSOCO_005_V1 (earth"));
    for (const Row& row : TableRows(table.substr(0, table.find("==")))) {
        if (row.x == 0) axis = std::fabs(Value(row.value) - 49) < kTolerance;
        if (row.x == 10) ten = std::fabs(Value(row.value) - (32 - 25 * std::log10(10.0))) < kTolerance;
    }
    EXPECT_TRUE(axis && ten) << r.out;
}

}  // namespace
