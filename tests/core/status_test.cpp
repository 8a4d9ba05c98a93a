// Status table, reporting, the sink's stamps, queue order, and the rendered
// event line column by column.
#include <gtest/gtest.h>

#include <cstring>
#include <set>
#include <string>

#include "core/frame.h"
#include "core/handles.h"
#include "core_fixture.h"

namespace {

using coretest::CoreTest;
using coretest::Handled;
using coretest::TakeAll;

// ---- StatusMessageTable -----------------------------------------------

TEST(StatusTable, HasFortySevenUniqueRowsInTheDocumentedOrder) {
    // The documented order of the codes: -1..-11, then the listed groups.
    std::vector<std::int32_t> expected;
    for (int n = 1; n <= 11; ++n) expected.push_back(-n);
    for (std::int32_t code : {-2001, -2002, -2003, -2004, -2005, -2006, -2007, 2008, -2009, 2010,
                              2011, -2012, -2101, -2102, -2201, -3001, -3002, -3003, -3004, -3006,
                              -3050, -3051, -3100, -4001, -4002}) {
        expected.push_back(code);
    }
    for (int n = 4101; n <= 4109; ++n) expected.push_back(-n);
    expected.push_back(-4200);
    expected.push_back(-4999);
    ASSERT_EQ(expected.size(), 47u);
    ASSERT_EQ(kam::kStatusMessageCount, 47);

    std::set<std::int32_t> codes;
    for (int i = 0; i < kam::kStatusMessageCount; ++i) {
        const kam::StatusMessage& row = kam::kStatusMessageTable[i];
        EXPECT_EQ(row.code, expected[static_cast<std::size_t>(i)]) << "row " << i;
        EXPECT_TRUE(codes.insert(row.code).second) << "duplicate " << row.code;
        ASSERT_NE(row.text, nullptr);
        EXPECT_LT(std::strlen(row.text), static_cast<std::size_t>(kam::kStatusMessageFieldSize));
        EXPECT_GT(std::strlen(row.text), 0u);
        EXPECT_STREQ(kam::MessageForStatus(row.code), row.text);
    }
}

TEST(StatusTable, GeneratedRowsFollowTheirPattern) {
    for (int n = 1; n <= 11; ++n) {
        EXPECT_EQ(std::string(kam::MessageForStatus(-n)),
                  "Input parameter " + std::to_string(n) + " is wrong.");
    }
    for (int n = 4101; n <= 4109; ++n) EXPECT_STREQ(kam::MessageForStatus(-n), "Internal KAM error.");
}

TEST(StatusTable, SampleTextsAndUnknownCodes) {
    struct Case {
        std::int32_t code;
        const char* text;
    };
    const Case cases[] = {
        {-2003, "Memory allocation error."},
        {-2007, "Event Queue is empty."},
        {2008, "DLL is already loaded."},
        {2011, "KAM is not terminated. There are open references."},
        {-3001, "Antenna patterns DLL interface error. SetEventLogHandler procedure not found."},
        {-3004, "Antenna patterns DLL interface error. SetEventLogHandler procedure not found."},
        {-4200, "Internal KAM error. gain() function is corrupted."},
        {-4999, "Internal KAM error. Buffer overflow."},
        // No row: the empty text.
        {0, ""}, {-12, ""}, {1, ""}, {2003, ""}, {-17, ""}, {-5100, ""}, {4999, ""},
        {INT32_MIN, ""}, {INT32_MAX, ""},
    };
    for (const Case& c : cases) EXPECT_STREQ(kam::MessageForStatus(c.code), c.text) << c.code;
}

// ---- ReportStatus -----------------------------------------------------

TEST_F(CoreTest, ReportStatusLogsTableRangeCodesThenCallsTheHandler) {
    struct Case {
        std::int32_t code;
        int log;
        bool queued;
        const char* text;
    };
    const Case cases[] = {
        {-2005, 1, true, "Pattern not found."},
        {2008, 1, true, "DLL is already loaded."},
        {-17, 1, true, ""},    // a plug-in's status without a row
        {4999, 1, true, ""},   // the largest logged magnitude, without a row
        {-4999, 1, true, "Internal KAM error. Buffer overflow."},
        {-5000, 1, false, ""}, // validation findings carry their own messages
        {5207, 1, false, ""},
        {INT32_MIN, 1, false, ""},
        {-2005, 0, false, ""}, // log off: the handler only
    };
    UseRecordingHandler();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.code);
        kam::g_state.eventLog = c.log;
        Handled().clear();
        EXPECT_EQ(kam::ReportStatus(c.code), c.code);
        kam::g_state.eventLog = 1;
        auto events = TakeAll();
        ASSERT_EQ(events.size(), c.queued ? 1u : 0u);
        if (c.queued) {
            EXPECT_EQ(events[0].code, c.code);
            EXPECT_EQ(events[0].severity, c.code > 0 ? 2 : 1);
            EXPECT_STREQ(events[0].text, c.text);
            EXPECT_EQ(events[0].textLength, static_cast<std::int32_t>(std::strlen(c.text)));
        }
        EXPECT_EQ(Handled(), std::vector<int>{c.code});
    }
}

TEST_F(CoreTest, ReportStatusOfZeroDoesNothing) {
    UseRecordingHandler();
    EXPECT_EQ(kam::ReportStatus(0), 0);
    EXPECT_TRUE(Handled().empty());
    EXPECT_TRUE(TakeAll().empty());
}

std::vector<std::int32_t> g_seenByHandler;
int KAM_CALL TakingHandler(KAM_Status) {
    KAM_EventRecord record;
    while (kam::TakeNextEvent(&record) == 0) g_seenByHandler.push_back(record.code);
    return 0;
}

TEST_F(CoreTest, TheHandlerCanAlreadyTakeTheMessageOfItsOwnStatus) {
    g_seenByHandler.clear();
    kam::g_state.eventHandler = &TakingHandler;
    kam::ReportStatus(-2004);
    EXPECT_EQ(g_seenByHandler, std::vector<std::int32_t>{-2004});
}

// ---- EventSink --------------------------------------------------------

class SinkTest : public CoreTest {
protected:
    void SetUp() override {
        CoreTest::SetUp();
        ASSERT_EQ(kam::AddChild(kam::g_state.root, kam::NodeKind::Package, 0, nullptr,
                                "SinkLibraryName16", &library_),
                  0);
        ASSERT_EQ(kam::AddChild(library_, kam::NodeKind::Pattern, 0, nullptr, "PAT", &pattern_),
                  0);
    }
    void TearDown() override {
        kam::ClearContext();
        ASSERT_EQ(kam::Unlink(library_), 0);
        ASSERT_EQ(kam::FreeSubtree(library_), 0);
        CoreTest::TearDown();
    }
    kam::ListNode* library_ = nullptr;
    kam::ListNode* pattern_ = nullptr;
};

KAM_EventRecord Record(std::int32_t code, const char* text) {
    KAM_EventRecord r;
    std::memset(&r, 0x5A, sizeof r);  // stamps must overwrite whatever is there
    r.code = code;
    std::strcpy(r.text, text);
    return r;
}

TEST_F(SinkTest, StampsTheCallersRecordAndQueuesACopy) {
    kam::SetCurrentLibrary(library_->handle);
    kam::SetCurrentPatternName("APEREC001V01");
    KAM_EventRecord r = Record(3, "plug-in says");
    kam::EventSink(&r);
    EXPECT_EQ(r.severity, 2);
    EXPECT_EQ(r.textLength, 12);
    EXPECT_STREQ(r.libraryName, "SinkLibraryName16");
    EXPECT_STREQ(r.patternName, "APEREC001V01");
    auto events = TakeAll();
    ASSERT_EQ(events.size(), 1u);
    EXPECT_EQ(std::memcmp(&events[0], &r, sizeof r), 0);
}

TEST_F(SinkTest, LibraryNameOnlyForALiveLibraryNode) {
    struct Case {
        const char* what;
        std::intptr_t id;
        const char* expected;
    };
    const std::intptr_t dead = [] {
        kam::ListNode* n = nullptr;
        kam::CreateNode(kam::NodeKind::Package, 0, nullptr, "gone", &n);
        kam::IssueHandle(n);
        std::intptr_t h = n->handle;
        kam::FreeNode(n);
        return h;
    }();
    const Case cases[] = {
        {"library", library_->handle, "SinkLibraryName16"},
        {"none", 0, ""},
        {"all libraries", -1, ""},
        {"pattern node", pattern_->handle, ""},
        {"freed library", dead, ""},
        {"an address", reinterpret_cast<std::intptr_t>(library_), ""},
    };
    for (const Case& c : cases) {
        kam::SetCurrentLibrary(c.id);
        KAM_EventRecord r = Record(-1, "x");
        kam::EventSink(&r);
        EXPECT_STREQ(r.libraryName, c.expected) << c.what;
        EXPECT_EQ(r.severity, 1);
    }
    TakeAll();
}

TEST_F(SinkTest, CodeZeroIsAnError) {
    KAM_EventRecord r = Record(0, "zero");
    kam::EventSink(&r);
    EXPECT_EQ(r.severity, 1);
    TakeAll();
}

TEST_F(SinkTest, TextWithoutNulIsQueuedCutAt255) {
    KAM_EventRecord r = Record(-5, "");
    std::memset(r.text, 'T', sizeof r.text);
    kam::EventSink(&r);
    EXPECT_EQ(r.textLength, 255);
    EXPECT_EQ(r.text[255], 'T') << "the plug-in's own text is not changed";
    auto events = TakeAll();
    ASSERT_EQ(events.size(), 1u);
    EXPECT_EQ(events[0].text[255], '\0');
    EXPECT_EQ(std::strlen(events[0].text), 255u);
    EXPECT_EQ(events[0].textLength, 255);
}

TEST_F(SinkTest, NothingIsQueuedWithTheLogOffOrWithoutARecord) {
    kam::g_state.eventLog = 0;
    KAM_EventRecord r = Record(-5, "off");
    const KAM_EventRecord before = r;
    kam::EventSink(&r);
    EXPECT_EQ(std::memcmp(&r, &before, sizeof r), 0);
    kam::QueueEvent(-6, "off too");
    kam::LogStatusMessage(-2005);
    kam::g_state.eventLog = 1;
    kam::EventSink(nullptr);
    EXPECT_TRUE(TakeAll().empty());
}

TEST_F(SinkTest, PatternNameIsTheLibrarysOwnCopyOfAtMost12Characters) {
    char name[32] = "ABCDEFGHIJKLMNOPQ";
    kam::SetCurrentPatternName(name);
    std::memset(name, 'z', sizeof name - 1);
    KAM_EventRecord r = Record(1, "w");
    kam::EventSink(&r);
    EXPECT_STREQ(r.patternName, "ABCDEFGHIJKL");
    TakeAll();
}

// ---- Queue ------------------------------------------------------------

TEST_F(CoreTest, EventsComeOutOldestFirstThenQueueEmpty) {
    kam::QueueEvent(-1, "first");
    kam::QueueEvent(2, "second");
    kam::QueueEvent(-3, "third");
    KAM_EventRecord r;
    for (const char* text : {"first", "second", "third"}) {
        ASSERT_EQ(kam::TakeNextEvent(&r), 0);
        EXPECT_STREQ(r.text, text);
    }
    EXPECT_EQ(kam::TakeNextEvent(&r), KAM_E_QUEUE_EMPTY);
    void* block = nullptr;
    std::uint32_t size = 1;
    EXPECT_EQ(kam::PopEvent(&block, &size), KAM_E_QUEUE_EMPTY);
}

TEST_F(CoreTest, PopEventHandsOverTheWholeRecord) {
    kam::QueueEvent(-2, "popped");
    void* block = nullptr;
    std::uint32_t size = 0;
    ASSERT_EQ(kam::PopEvent(&block, &size), 0);
    EXPECT_EQ(size, sizeof(KAM_EventRecord));
    EXPECT_STREQ(static_cast<KAM_EventRecord*>(block)->text, "popped");
    kam::Release(block);
    EXPECT_EQ(kam::g_state.eventQueue->firstChild, nullptr);
}

TEST_F(CoreTest, TakeNextEventWithTheLogOffLeavesTheQueue) {
    kam::QueueEvent(-2, "kept");
    kam::g_state.eventLog = 0;
    KAM_EventRecord r;
    EXPECT_EQ(kam::TakeNextEvent(&r), KAM_E_QUEUE_EMPTY);
    kam::g_state.eventLog = 1;
    EXPECT_EQ(TakeAll().size(), 1u);
}

TEST_F(CoreTest, DrainEventsClearsContextOnlyWithTheLogOn) {
    kam::SetCurrentLibrary(42);
    kam::SetCurrentPatternName("KEEP");
    kam::QueueEvent(-1, "x");
    kam::g_state.eventLog = 0;
    kam::DrainEvents();
    EXPECT_EQ(kam::g_state.currentLibrary, 42);
    EXPECT_STREQ(kam::g_state.currentPatternName, "KEEP");
    kam::g_state.eventLog = 1;
    EXPECT_EQ(coretest::QueuedCount(), 1u);
    kam::DrainEvents();
    EXPECT_EQ(kam::g_state.currentLibrary, 0);
    EXPECT_STREQ(kam::g_state.currentPatternName, "");
    EXPECT_EQ(coretest::QueuedCount(), 0u);
}

TEST_F(CoreTest, EventNodesAreNamedByACounterThatNeverResets) {
    kam::QueueEvent(-1, "a");
    const std::string firstName = kam::g_state.eventQueue->firstChild->name;
    ASSERT_EQ(firstName.rfind("Element #", 0), 0u);
    const long first = std::stol(firstName.substr(9));
    EXPECT_GE(first, 1);
    kam::QueueEvent(-1, "b");
    EXPECT_EQ(std::string(kam::g_state.eventQueue->firstChild->name),
              "Element #" + std::to_string(first + 1));

    ASSERT_EQ(kam::Terminate(), 0);
    ASSERT_EQ(kam::g_state.initialised, 0);
    kam::Initialise();
    kam::DrainEvents();
    kam::QueueEvent(-1, "c");
    const std::string after = kam::g_state.eventQueue->firstChild->name;
    EXPECT_GT(std::stol(after.substr(9)), first + 1) << after;
}

// ---- Rendering --------------------------------------------------------

KAM_EventRecord Event(const char* library, const char* pattern, std::int32_t severity,
                      std::int32_t code, const char* text) {
    KAM_EventRecord r;
    std::memset(&r, 0, sizeof r);
    std::strcpy(r.libraryName, library);
    std::strcpy(r.patternName, pattern);
    r.severity = severity;
    r.code = code;
    r.textLength = 9999;  // not read
    std::strcpy(r.text, text);
    return r;
}

std::string Render(const KAM_EventRecord& r) {
    char line[400];
    std::memset(line, 0x7F, sizeof line);
    kam::RenderEventLine(r, line);
    for (std::size_t i = 256; i < sizeof line; ++i) {
        EXPECT_EQ(line[i], 0x7F) << "written past 256 bytes at " << i;
    }
    const void* nul = std::memchr(line, '\0', 256);
    EXPECT_NE(nul, nullptr);
    return nul ? std::string(line) : std::string();
}

std::string Blanks(std::size_t n) { return std::string(n, ' '); }

TEST(RenderEventLine, TheDocumentedSixtySevenCharacterLine) {
    const std::string line = Render(Event("", "", 1, -2005, "Pattern not found."));
    const std::string expected = "KAM-> " + Blanks(12) + "/" + Blanks(12) + "/ " + "Error  " +
                                 "#" + " -2005" + ". " + "Pattern not found.";
    EXPECT_EQ(line, expected);
    EXPECT_EQ(line.size(), 67u);
}

TEST(RenderEventLine, ColumnByColumn) {
    struct Case {
        const char* what;
        KAM_EventRecord event;
        std::string expected;
    };
    const std::string lib16 = "ABCDEFGHIJKLMNOP";
    const Case cases[] = {
        {"warning", Event("Lib", "AP", 2, 2008, "DLL is already loaded."),
         "KAM-> " + Blanks(9) + "Lib/" + Blanks(10) + "AP/ Warning#  2008. DLL is already loaded."},
        {"long library name", Event(lib16.c_str(), "APEREC001V01", 1, -1, "x"),
         "KAM-> ABCDEFGHIJKL/APEREC001V01/ Error  #    -1. x"},
        {"severity 7", Event("", "", 7, 5, ""),
         "KAM-> " + Blanks(12) + "/" + Blanks(12) + "/ Unknown#     5. "},
        {"severity 0", Event("", "", 0, 0, "t"),
         "KAM-> " + Blanks(12) + "/" + Blanks(12) + "/ Unknown#     0. t"},
        {"wide code shifts the rest", Event("L", "P", 1, -1234567, "t"),
         "KAM-> " + Blanks(11) + "L/" + Blanks(11) + "P/ Error  #-1234567. t"},
    };
    for (const Case& c : cases) EXPECT_EQ(Render(c.event), c.expected) << c.what;
    // Severity 1 puts "Error" and two blanks right before "#".
    EXPECT_NE(Render(Event("", "", 1, -1, "")).find("/ Error  #"), std::string::npos);
}

TEST(RenderEventLine, LongLinesAreCutAt255Characters) {
    struct Case {
        std::size_t textLength;
        std::int32_t code;
        std::size_t expectedLength;
    };
    // The fixed part is 49 characters for a code of at most six columns.
    for (Case c : {Case{206, -1, 255}, Case{205, -1, 254}, Case{255, -1, 255},
                   Case{202, INT32_MIN, 255}}) {
        std::string text(c.textLength, 'x');
        for (std::size_t i = 0; i < text.size(); ++i) text[i] = static_cast<char>('a' + i % 26);
        const std::string line = Render(Event("", "", 1, c.code, text.c_str()));
        EXPECT_EQ(line.size(), c.expectedLength) << c.textLength;
        const std::string prefix = "KAM-> " + Blanks(12) + "/" + Blanks(12) + "/ Error  #" +
                                   (c.code == -1 ? std::string("    -1") : std::to_string(c.code)) +
                                   ". ";
        EXPECT_EQ(line, (prefix + text).substr(0, c.expectedLength));
    }
}

TEST(RenderEventLine, FieldsWithoutNulAreReadOnlyToTheirBound) {
    KAM_EventRecord r;
    std::memset(&r, 0, sizeof r);
    std::memset(r.libraryName, 'L', sizeof r.libraryName);
    std::memset(r.patternName, 'P', sizeof r.patternName);
    std::memset(r.text, 'T', sizeof r.text);
    r.severity = 2;
    r.code = 7;
    const std::string line = Render(r);
    const std::string expected = "KAM-> " + std::string(12, 'L') + "/" + std::string(12, 'P') +
                                 "/ Warning#     7. " + std::string(255, 'T');
    EXPECT_EQ(line, expected.substr(0, 255));
}

}  // namespace
