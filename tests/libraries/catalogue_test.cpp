// The catalogue exports driven as a caller does: argument checks, byte
// counts of every copy, capacities, listing order, lookup and hiding rules,
// and the context stamped into the events of failures.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "libraries_fixture.h"

namespace {

using libtest::LibrariesTest;

constexpr unsigned char kUnwritten = 0xEE;

std::string Slot(const char* buffer, std::size_t slot, std::size_t size) {
    return std::string(buffer + slot * size, strnlen(buffer + slot * size, size));
}

// Two libraries A (older) and B (newer) with names and patterns of their own,
// both defining "SHARED" (told apart by their opaque bytes), and B defining
// one name twice.
class CatalogueTest : public LibrariesTest {
protected:
    void SetUp() override {
        LibrariesTest::SetUp();
        auto& a = fake::Config("fake_a");
        a.libraryName = "CatA";
        a.opaqueFill = 0xA1;
        a.patterns[0].opaqueFill = 0xA2;
        fake::PatternConfig sharedA = a.patterns[0];
        sharedA.name = "SHARED";
        sharedA.opaqueFill = 0xA3;
        a.patterns.push_back(sharedA);
        a_ = Add("fake_a");

        auto& b = fake::Config("fake_b");
        b.libraryName = "CatB";
        fake::PatternConfig sharedB = b.patterns[1];
        sharedB.name = "SHARED";
        sharedB.opaqueFill = 0xB3;
        b.patterns.insert(b.patterns.begin(), sharedB);  // SHARED, B_EARTH, B_SPACE
        fake::PatternConfig twin = b.patterns[1];
        twin.opaqueFill = 0xB9;
        b.patterns.push_back(twin);  // a second B_EARTH, hidden by the first
        b_ = Add("fake_b");
    }

    KAM_LibraryId a_ = 0;
    KAM_LibraryId b_ = 0;
};

TEST_F(CatalogueTest, LibraryNamesNewestFirstWithinCapacity) {
    const int32_t total = LibraryCount();
    ASSERT_GE(total, 2);
    std::vector<char> names(64 * (total + 5), static_cast<char>(kUnwritten));

    int32_t count = 1;
    ASSERT_EQ(KAM_GetAllLibraryNames(&count, names.data()), 0);
    EXPECT_EQ(count, 1);
    EXPECT_EQ(Slot(names.data(), 0, 64), "CatB");
    EXPECT_EQ(static_cast<unsigned char>(names[64]), kUnwritten);

    count = 2;
    ASSERT_EQ(KAM_GetAllLibraryNames(&count, names.data()), 0);
    EXPECT_EQ(count, 2);
    EXPECT_EQ(Slot(names.data(), 1, 64), "CatA");
    // The whole 64-byte field: zero padding after the NUL included.
    EXPECT_EQ(names[64 + 4], '\0');
    EXPECT_EQ(names[64 + 63], '\0');
    EXPECT_EQ(static_cast<unsigned char>(names[128]), kUnwritten);

    count = total + 5;
    ASSERT_EQ(KAM_GetAllLibraryNames(&count, names.data()), 0);
    EXPECT_EQ(count, total);
    EXPECT_EQ(static_cast<unsigned char>(names[64 * total]), kUnwritten);
    KAM_LibraryId std = KAM_StdLibraryId();
    if (std != KAM_NO_LIBRARY) {
        // The standard library, registered first, comes last.
        KAM_LibraryProperties props;
        ASSERT_EQ(KAM_GetLibraryProperties(std, &props), 0);
        EXPECT_EQ(Slot(names.data(), static_cast<std::size_t>(total - 1), 64), props.name);
    }
}

TEST_F(CatalogueTest, ListArgumentChecks) {
    char buffer[64 * 4];
    std::memset(buffer, kUnwritten, sizeof buffer);
    int32_t count = 0;
    EXPECT_EQ(KAM_GetAllLibraryNames(&count, buffer), -1);
    count = -3;
    EXPECT_EQ(KAM_GetAllLibraryNames(&count, buffer), -1);
    EXPECT_EQ(count, -3);
    EXPECT_EQ(KAM_GetAllLibraryNames(nullptr, buffer), -1);
    count = 4;
    EXPECT_EQ(KAM_GetAllLibraryNames(&count, nullptr), -2);
    EXPECT_EQ(count, 4);
    EXPECT_EQ(KAM_GetLibraryCount(nullptr), -1);

    // Pattern listings: LibraryId, mask, count, buffer in that order.
    EXPECT_EQ(KAM_GetAllPatternNames(KAM_NO_LIBRARY, 9, nullptr, nullptr), -1);
    for (int32_t mask : {0, 4, -1, 7}) EXPECT_EQ(KAM_GetAllPatternNames(a_, mask, &count, buffer), -2);
    count = 0;
    EXPECT_EQ(KAM_GetAllPatternNames(a_, 3, &count, buffer), -3);
    EXPECT_EQ(KAM_GetAllPatternNames(a_, 3, nullptr, buffer), -3);
    count = 2;
    EXPECT_EQ(KAM_GetAllPatternNames(a_, 3, &count, nullptr), -4);
    EXPECT_EQ(count, 2);

    EXPECT_EQ(KAM_GetPatternCount(KAM_NO_LIBRARY, 3, &count), -1);
    for (int32_t mask : {0, 4}) EXPECT_EQ(KAM_GetPatternCount(a_, mask, &count), -2);
    EXPECT_EQ(KAM_GetPatternCount(a_, 3, nullptr), -3);
    EXPECT_EQ(count, 2);
    for (unsigned char byte : buffer) EXPECT_EQ(byte, kUnwritten);
    EXPECT_EQ(handled_.size(), 17u);
}

TEST_F(CatalogueTest, PatternCountsByMask) {
    // A: A_EARTH (earth), A_SPACE (space), SHARED (earth).
    EXPECT_EQ(PatternCount(a_, KAM_PATTERN_EARTH), 2);
    EXPECT_EQ(PatternCount(a_, KAM_PATTERN_SPACE), 1);
    EXPECT_EQ(PatternCount(a_, KAM_PATTERN_ANY), 3);
    // B: SHARED (space), B_EARTH, B_SPACE, B_EARTH again.
    EXPECT_EQ(PatternCount(b_, KAM_PATTERN_EARTH), 2);
    EXPECT_EQ(PatternCount(b_, KAM_PATTERN_SPACE), 2);

    // -1 sums over every library: as many as a listing of ample capacity
    // gives, and each pattern is earth or space.
    for (int32_t mask : {1, 2, 3}) {
        const int32_t all = PatternCount(KAM_ALL_LIBRARIES, mask);
        std::vector<char> listed(13 * static_cast<std::size_t>(all + 1));
        int32_t capacity = all + 1;
        ASSERT_EQ(KAM_GetAllPatternNames(KAM_ALL_LIBRARIES, mask, &capacity, listed.data()), 0);
        EXPECT_EQ(capacity, all) << "mask " << mask;
    }
    EXPECT_EQ(PatternCount(KAM_ALL_LIBRARIES, 3),
              PatternCount(KAM_ALL_LIBRARIES, 1) + PatternCount(KAM_ALL_LIBRARIES, 2));
}

TEST_F(CatalogueTest, PatternNamesInArrayOrderNewestLibraryFirst) {
    char buffer[13 * 8];
    std::memset(buffer, kUnwritten, sizeof buffer);
    int32_t count = 8;
    ASSERT_EQ(KAM_GetAllPatternNames(b_, 3, &count, buffer), 0);
    ASSERT_EQ(count, 4);
    EXPECT_EQ(Slot(buffer, 0, 13), "SHARED");
    EXPECT_EQ(Slot(buffer, 1, 13), "B_EARTH");
    EXPECT_EQ(Slot(buffer, 2, 13), "B_SPACE");
    EXPECT_EQ(Slot(buffer, 3, 13), "B_EARTH");
    EXPECT_EQ(buffer[13 + 12], '\0');
    EXPECT_EQ(static_cast<unsigned char>(buffer[13 * 4]), kUnwritten);

    // With -1: B's selected names, then A's, within the capacity.
    std::memset(buffer, kUnwritten, sizeof buffer);
    count = 3;
    ASSERT_EQ(KAM_GetAllPatternNames(KAM_ALL_LIBRARIES, KAM_PATTERN_SPACE, &count, buffer), 0);
    ASSERT_EQ(count, 3);  // B: SHARED, B_SPACE; A: A_SPACE
    EXPECT_EQ(Slot(buffer, 0, 13), "SHARED");
    EXPECT_EQ(Slot(buffer, 1, 13), "B_SPACE");
    EXPECT_EQ(Slot(buffer, 2, 13), "A_SPACE");

    // Capacity 1: the first selected pattern of the newest library.
    count = 1;
    ASSERT_EQ(KAM_GetAllPatternNames(KAM_ALL_LIBRARIES, KAM_PATTERN_EARTH, &count, buffer), 0);
    EXPECT_EQ(count, 1);
    EXPECT_EQ(Slot(buffer, 0, 13), "B_EARTH");

    // Capacity reached inside a library: a full buffer is no failure.
    count = 3;
    ASSERT_EQ(KAM_GetAllPatternNames(KAM_ALL_LIBRARIES, 3, &count, buffer), 0);
    EXPECT_EQ(count, 3);
    EXPECT_TRUE(handled_.empty());
}

TEST_F(CatalogueTest, NameSlotCarriesTheWholeField) {
    auto& c = fake::Config("fake_c");
    c.patterns[0].name = std::string("AB\0XYZ", 6);  // bytes after the NUL
    c.libraryName = std::string("Lib\0tail", 8);
    KAM_LibraryId id = Add("fake_c");
    char buffer[13 * 2];
    int32_t count = 2;
    ASSERT_EQ(KAM_GetAllPatternNames(id, 3, &count, buffer), 0);
    EXPECT_EQ(std::memcmp(buffer, "AB\0XYZ\0\0\0\0\0\0\0", 13), 0);
    char libs[64];
    count = 1;
    ASSERT_EQ(KAM_GetAllLibraryNames(&count, libs), 0);
    EXPECT_EQ(std::memcmp(libs, "Lib\0tail", 8), 0);
    KAM_LibraryId byName = 0;
    EXPECT_EQ(KAM_GetLibraryIdByName("Lib", &byName), 0);
    EXPECT_EQ(byName, id);
}

TEST_F(CatalogueTest, LookupsAndHiding) {
    // -1 finds the newer library's pattern; a given library its own.
    KAM_PatternProperties props;
    ASSERT_EQ(KAM_GetPatternProperties(KAM_ALL_LIBRARIES, "SHARED", &props), 0);
    EXPECT_EQ(props.reserved[0], 0xB3);
    EXPECT_EQ(props.type, KAM_PATTERN_SPACE);
    ASSERT_EQ(KAM_GetPatternProperties(a_, "SHARED", &props), 0);
    EXPECT_EQ(props.reserved[0], 0xA3);
    EXPECT_EQ(props.type, KAM_PATTERN_EARTH);
    // Within a library the first of a name hides the later one.
    ASSERT_EQ(KAM_GetPatternProperties(b_, "B_EARTH", &props), 0);
    EXPECT_EQ(props.reserved[0], 0);

    KAM_LibraryId found = 0;
    EXPECT_EQ(KAM_SearchPattern("SHARED", &found), 0);
    EXPECT_EQ(found, b_);
    EXPECT_EQ(KAM_SearchPattern("A_SPACE", &found), 0);
    EXPECT_EQ(found, a_);
    found = 777;
    EXPECT_EQ(KAM_SearchPattern("NOPE", &found), KAM_E_PATTERN_NOT_FOUND);
    EXPECT_EQ(found, KAM_NO_LIBRARY);

    EXPECT_EQ(KAM_ExistPattern(a_, "SHARED"), 0);
    EXPECT_EQ(KAM_ExistPattern(a_, "B_EARTH"), KAM_E_PATTERN_NOT_FOUND);
    EXPECT_EQ(KAM_ExistPattern(KAM_ALL_LIBRARIES, "SHARED"), KAM_E_UNKNOWN_LIBRARY);
    EXPECT_EQ(KAM_ExistPattern(a_, "shared"), KAM_E_PATTERN_NOT_FOUND);  // case-sensitive
}

TEST_F(CatalogueTest, StandardPatternHiddenByNewerLibrary) {
    KAM_LibraryId std = KAM_StdLibraryId();
    if (std == KAM_NO_LIBRARY) GTEST_SKIP() << "standard library not registered";
    char first[13] = {};
    int32_t count = 1;
    if (KAM_GetAllPatternNames(std, 3, &count, first) != 0 || count != 1) {
        GTEST_SKIP() << "standard library has no patterns yet";
    }
    auto& d = fake::Config("fake_d");
    d.patterns[0].name = first;
    d.patterns[0].opaqueFill = 0xD1;
    KAM_LibraryId mine = Add("fake_d");
    KAM_LibraryId found = 0;
    EXPECT_EQ(KAM_SearchPattern(first, &found), 0);
    EXPECT_EQ(found, mine);
    KAM_PatternProperties props;
    ASSERT_EQ(KAM_GetPatternProperties(KAM_ALL_LIBRARIES, first, &props), 0);
    EXPECT_EQ(props.reserved[0], 0xD1);
    EXPECT_EQ(KAM_ExistPattern(std, first), 0);
    EXPECT_EQ(KAM_ExistPattern(KAM_ALL_LIBRARIES, first), KAM_E_UNKNOWN_LIBRARY);
}

TEST_F(CatalogueTest, SameNamedLibrariesBothRegister) {
    int32_t before = LibraryCount();
    fake::Config("fake_e").libraryName = "Twin";
    fake::Config("fake_e").patterns[0].opaqueFill = 0x01;
    KAM_LibraryId older = Add("fake_e");
    fake::Config("fake_e").patterns[0].opaqueFill = 0x02;
    KAM_LibraryId newer = Add("fake_e");
    EXPECT_NE(older, newer);
    EXPECT_EQ(LibraryCount(), before + 2);
    KAM_LibraryId id = 0;
    ASSERT_EQ(KAM_GetLibraryIdByName("Twin", &id), 0);
    EXPECT_EQ(id, newer);
    KAM_PatternProperties props;
    ASSERT_EQ(KAM_GetPatternProperties(KAM_ALL_LIBRARIES, "E_EARTH", &props), 0);
    EXPECT_EQ(props.reserved[0], 0x02);
}

TEST_F(CatalogueTest, LibraryIdByNameChecks) {
    KAM_LibraryId id = 777;
    EXPECT_EQ(KAM_GetLibraryIdByName(nullptr, &id), -1);
    EXPECT_EQ(KAM_GetLibraryIdByName("", &id), -1);
    EXPECT_EQ(KAM_GetLibraryIdByName(std::string(64, 'x').c_str(), &id), -1);
    EXPECT_EQ(KAM_GetLibraryIdByName("CatA", nullptr), -2);
    EXPECT_EQ(id, 777);
    EXPECT_EQ(KAM_GetLibraryIdByName(std::string(63, 'x').c_str(), &id), KAM_E_LIBRARY_NOT_FOUND);
    EXPECT_EQ(id, KAM_NO_LIBRARY);
    EXPECT_EQ(KAM_GetLibraryIdByName("cata", &id), KAM_E_LIBRARY_NOT_FOUND);
    KAM_EventRecord e;
    ASSERT_EQ(KAM_GetNextEvent(&e), 0);
    EXPECT_EQ(e.code, KAM_E_LIBRARY_NOT_FOUND);
    EXPECT_STREQ(e.text, "Library not found. Wrong Library name.");
    EXPECT_EQ(KAM_GetLibraryIdByName("CatA", &id), 0);
    EXPECT_EQ(id, a_);
}

TEST_F(CatalogueTest, LibraryPropertiesAre412Bytes) {
    unsigned char buffer[420];
    std::memset(buffer, kUnwritten, sizeof buffer);
    auto* props = reinterpret_cast<KAM_LibraryProperties*>(buffer);
    ASSERT_EQ(KAM_GetLibraryProperties(a_, props), 0);
    EXPECT_EQ(buffer[12], 0xA1);   // reserved, the library's own
    EXPECT_EQ(buffer[88], 0xA1);   // description
    EXPECT_EQ(buffer[407], 0xA1);
    EXPECT_STREQ(reinterpret_cast<char*>(buffer + 24), "CatA");
    EXPECT_EQ(props->patternCount, 3);
    for (std::size_t i = 412; i < sizeof buffer; ++i) EXPECT_EQ(buffer[i], kUnwritten) << i;

    // Not a library: -2004, nothing written, the event without a library name.
    std::memset(buffer, kUnwritten, sizeof buffer);
    EXPECT_EQ(KAM_GetLibraryProperties(KAM_ALL_LIBRARIES, props), KAM_E_UNKNOWN_LIBRARY);
    EXPECT_EQ(KAM_GetLibraryProperties(static_cast<KAM_LibraryId>(0x7FFF1234), props),
              KAM_E_UNKNOWN_LIBRARY);
    for (unsigned char byte : buffer) EXPECT_EQ(byte, kUnwritten);
    KAM_EventRecord e;
    ASSERT_EQ(KAM_GetNextEvent(&e), 0);
    EXPECT_EQ(e.code, KAM_E_UNKNOWN_LIBRARY);
    EXPECT_STREQ(e.text, "Unknown library. Wrong LibraryId.");
    EXPECT_STREQ(e.libraryName, "");
    EXPECT_EQ(KAM_GetLibraryProperties(KAM_NO_LIBRARY, props), -1);
    EXPECT_EQ(KAM_GetLibraryProperties(a_, nullptr), -2);
}

TEST_F(CatalogueTest, PatternPropertiesAndParamProperties) {
    unsigned char buffer[344];
    std::memset(buffer, kUnwritten, sizeof buffer);
    auto* props = reinterpret_cast<KAM_PatternProperties*>(buffer);
    ASSERT_EQ(KAM_GetPatternProperties(a_, "A_EARTH", props), 0);
    EXPECT_EQ(buffer[0], 0xA2);    // reserved
    EXPECT_EQ(buffer[37], 0xA2);   // title
    EXPECT_EQ(buffer[300], 0xA2);  // reserved2
    EXPECT_STREQ(props->name, "A_EARTH");
    EXPECT_EQ(props->type, KAM_PATTERN_EARTH);
    EXPECT_EQ(props->specificSize, 0);
    for (std::size_t i = 336; i < sizeof buffer; ++i) EXPECT_EQ(buffer[i], kUnwritten) << i;

    int32_t codes[9];
    std::memset(codes, kUnwritten, sizeof codes);
    ASSERT_EQ(KAM_GetParamProperties(KAM_ALL_LIBRARIES, "A_SPACE", codes), 0);
    const auto& expected = fake::Config("fake_a").patterns[1].paramProperties;
    for (int i = 0; i < 8; ++i) EXPECT_EQ(codes[i], expected[i]) << i;
    int32_t untouched;
    std::memset(&untouched, kUnwritten, sizeof untouched);
    EXPECT_EQ(codes[8], untouched);

    // Argument positions and failures.
    EXPECT_EQ(KAM_GetPatternProperties(KAM_NO_LIBRARY, "A_EARTH", props), -1);
    EXPECT_EQ(KAM_GetPatternProperties(a_, "", props), -2);
    EXPECT_EQ(KAM_GetPatternProperties(a_, nullptr, props), -2);
    EXPECT_EQ(KAM_GetPatternProperties(a_, "ABCDEFGHIJKLM", props), -2);
    EXPECT_EQ(KAM_GetPatternProperties(a_, "A_EARTH", nullptr), -3);
    EXPECT_EQ(KAM_GetParamProperties(a_, "A_EARTH", nullptr), -3);
    EXPECT_EQ(KAM_GetParamProperties(a_, "ABCDEFGHIJKL", codes), KAM_E_PATTERN_NOT_FOUND);
    EXPECT_EQ(KAM_GetParamProperties(static_cast<KAM_LibraryId>(0x7FFF1234), "A_EARTH", codes),
              KAM_E_UNKNOWN_LIBRARY);
}

TEST_F(CatalogueTest, FailedLookupsStampTheirContext) {
    int32_t codes[8];
    KAM_EventRecord e;
    // A given library: its name and the pattern name.
    EXPECT_EQ(KAM_GetParamProperties(a_, "NOPE", codes), KAM_E_PATTERN_NOT_FOUND);
    ASSERT_EQ(KAM_GetNextEvent(&e), 0);
    EXPECT_STREQ(e.text, "Pattern not found.");
    EXPECT_STREQ(e.libraryName, "CatA");
    EXPECT_STREQ(e.patternName, "NOPE");
    // Every library: no library name.
    EXPECT_EQ(KAM_GetParamProperties(KAM_ALL_LIBRARIES, "NOPE2", codes), KAM_E_PATTERN_NOT_FOUND);
    ASSERT_EQ(KAM_GetNextEvent(&e), 0);
    EXPECT_STREQ(e.libraryName, "");
    EXPECT_STREQ(e.patternName, "NOPE2");
    // A search sets only the pattern name.
    KAM_LibraryId id;
    EXPECT_EQ(KAM_SearchPattern("NOPE3", &id), KAM_E_PATTERN_NOT_FOUND);
    ASSERT_EQ(KAM_GetNextEvent(&e), 0);
    EXPECT_STREQ(e.libraryName, "");
    EXPECT_STREQ(e.patternName, "NOPE3");
    EXPECT_EQ(KAM_ExistPattern(b_, "NOPE4"), KAM_E_PATTERN_NOT_FOUND);
    ASSERT_EQ(KAM_GetNextEvent(&e), 0);
    EXPECT_STREQ(e.libraryName, "CatB");
    EXPECT_STREQ(e.patternName, "NOPE4");
    codes[0] = 55;
    EXPECT_EQ(KAM_GetPatternCount(static_cast<KAM_LibraryId>(0x7FFF1234), 3, codes),
              KAM_E_UNKNOWN_LIBRARY);
    EXPECT_EQ(codes[0], 55);
    EXPECT_EQ(handled_, (std::vector<KAM_Status>{-2005, -2005, -2005, -2005, -2004}));
}

// An antenna's id names no library: the library queries give -2004, and the
// event carries no library name.
TEST_F(CatalogueTest, AntennaIdIsNoLibrary) {
    KAM_AntennaId antenna = KAM_NO_ANTENNA;
    const double none = KAM_NOVALUE_DOUBLE;
    if (KAM_CreateEarthAntenna(a_, "A_EARTH", 30.0, none, none, none, KAM_NOVALUE_STRUCT,
                               &antenna) < 0 ||
        antenna == KAM_NO_ANTENNA) {
        GTEST_SKIP() << "no antenna could be created";
    }
    handled_.clear();
    KAM_LibraryProperties props;
    EXPECT_EQ(KAM_GetLibraryProperties(antenna, &props), KAM_E_UNKNOWN_LIBRARY);
    KAM_EventRecord e;
    ASSERT_EQ(KAM_GetNextEvent(&e), 0);
    EXPECT_STREQ(e.libraryName, "");
    EXPECT_EQ(KAM_ExistPattern(antenna, "A_EARTH"), KAM_E_UNKNOWN_LIBRARY);
    int32_t count = 55;
    EXPECT_EQ(KAM_GetPatternCount(antenna, 3, &count), KAM_E_UNKNOWN_LIBRARY);
    EXPECT_EQ(count, 55);
    EXPECT_EQ(KAM_GetSpecificParCount(antenna, "A_EARTH", &count), KAM_E_UNKNOWN_LIBRARY);
    EXPECT_EQ(count, 0);
    EXPECT_EQ(handled_, (std::vector<KAM_Status>{-2004, -2004, -2004, -2004}));
    EXPECT_EQ(KAM_DeleteAntenna(antenna), 0);
}

// Specific-parameter definitions: structure 7 has elements 0..2, structure
// 9 one element; the table is the library's and is read at every query.
class SpecificTest : public LibrariesTest {
protected:
    static KAM_SpecificParDef Def(int32_t structId, int32_t element, unsigned char fill) {
        KAM_SpecificParDef d;
        d.structId = structId;
        d.elementIndex = element;
        std::memset(d.description, fill, sizeof d.description);
        return d;
    }
    KAM_LibraryId AddWith(bool nullDefs, bool overrideCount, int32_t count) {
        auto& g = fake::Config("fake_g");
        g.specificParDefs = {Def(7, 0, 0x70), Def(9, 0, 0x90), Def(7, 1, 0x71), Def(7, 2, 0x72),
                             Def(7, 1, 0x7F)};
        g.nullParDefs = nullDefs;
        g.overrideParDefCount = overrideCount;
        g.specificParDefCount = count;
        g.patterns.resize(5, g.patterns[0]);
        const char* names[] = {"WITH7", "NOSIZE", "NOID", "STRUCT8", "NEGSIZE"};
        const int32_t sizes[] = {24, 0, 24, 24, -24};
        const int32_t ids[] = {7, 7, 0, 8, 7};
        for (int i = 0; i < 5; ++i) {
            g.patterns[i].name = names[i];
            g.patterns[i].specificSize = sizes[i];
            g.patterns[i].specificStructId = ids[i];
        }
        return Add("fake_g");
    }
};

TEST_F(SpecificTest, CountsAndDefinitions) {
    KAM_LibraryId id = AddWith(false, false, 0);
    int32_t count = -1;
    ASSERT_EQ(KAM_GetSpecificParCount(id, "WITH7", &count), 0);
    EXPECT_EQ(count, 4);  // every record of structure 7, the duplicate included

    unsigned char buffer[100];
    std::memset(buffer, kUnwritten, sizeof buffer);
    auto* def = reinterpret_cast<KAM_SpecificParDef*>(buffer);
    ASSERT_EQ(KAM_GetSpecificParDef(KAM_ALL_LIBRARIES, "WITH7", 1, def), 0);
    EXPECT_EQ(def->structId, 7);
    EXPECT_EQ(def->elementIndex, 1);
    EXPECT_EQ(def->description[0], 0x71);  // the first match in array order
    EXPECT_EQ(def->description[87], 0x71);
    for (std::size_t i = 96; i < sizeof buffer; ++i) EXPECT_EQ(buffer[i], kUnwritten);

    // One past the last element: -2102, reported with its message.
    std::memset(buffer, kUnwritten, sizeof buffer);
    handled_.clear();
    EXPECT_EQ(KAM_GetSpecificParDef(id, "WITH7", 3, def), KAM_E_PARDEF_NOT_FOUND);
    for (unsigned char byte : buffer) EXPECT_EQ(byte, kUnwritten);
    EXPECT_EQ(handled_, std::vector<KAM_Status>{KAM_E_PARDEF_NOT_FOUND});
    KAM_EventRecord e;
    ASSERT_EQ(KAM_GetNextEvent(&e), 0);
    EXPECT_STREQ(e.text, "Parameter definition not found.");
    EXPECT_STREQ(e.patternName, "WITH7");
    EXPECT_EQ(KAM_GetSpecificParDef(id, "WITH7", -1, def), -3);
    EXPECT_EQ(KAM_GetSpecificParDef(id, "WITH7", 0, nullptr), -4);
}

TEST_F(SpecificTest, MissingDefinitionsGive2101AndCountZero) {
    struct Case {
        const char* what;
        bool nullDefs;
        bool overrideCount;
        int32_t count;
        const char* pattern;
        KAM_Status definition;  // of element 0
    };
    const Case cases[] = {
        {"no structure size", false, false, 0, "NOSIZE", KAM_E_NO_SPECIFIC_DEFS},
        {"negative structure size", false, false, 0, "NEGSIZE", KAM_E_NO_SPECIFIC_DEFS},
        {"no structure id", false, false, 0, "NOID", KAM_E_NO_SPECIFIC_DEFS},
        // A table without the structure: no count, and no element either.
        {"no definition of the structure", false, false, 0, "STRUCT8", KAM_E_PARDEF_NOT_FOUND},
        {"null table", true, false, 0, "WITH7", KAM_E_NO_SPECIFIC_DEFS},
        {"table count 0", false, true, 0, "WITH7", KAM_E_NO_SPECIFIC_DEFS},
        {"table count negative", false, true, -4, "WITH7", KAM_E_NO_SPECIFIC_DEFS},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        KAM_LibraryId id = AddWith(c.nullDefs, c.overrideCount, c.count);
        int32_t count = 55;
        EXPECT_EQ(KAM_GetSpecificParCount(id, c.pattern, &count), KAM_E_NO_SPECIFIC_DEFS);
        EXPECT_EQ(count, 0);
        KAM_SpecificParDef def;
        EXPECT_EQ(KAM_GetSpecificParDef(id, c.pattern, 0, &def), c.definition);
    }
    // The count is 0 after a failed lookup too, but untouched after a bad argument.
    KAM_LibraryId id = AddWith(false, false, 0);
    int32_t count = 55;
    EXPECT_EQ(KAM_GetSpecificParCount(id, "MISSING", &count), KAM_E_PATTERN_NOT_FOUND);
    EXPECT_EQ(count, 0);
    count = 55;
    EXPECT_EQ(KAM_GetSpecificParCount(id, "", &count), -2);
    EXPECT_EQ(count, 55);
    EXPECT_EQ(KAM_GetSpecificParCount(id, "WITH7", nullptr), -3);
}

}  // namespace
