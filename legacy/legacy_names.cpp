// Legacy pattern-name conversion: the two constant tables and the lookup that
// turns a blank-padded legacy designation into the current pattern name. It
// needs no initialisation, keeps no state and reports nothing.
#include "legacy/legacy_names.h"

#include <cstring>

#include "kam/kam.h"

namespace kam::legacy {

const LegacyRow kLegacyNameTable[kLegacyRowCount] = {
    {1, "ES-REF      "},   {1, "ES-REF(32)  "},   {2, "ES-REF-ML   "},   {3, "ES-OBJ      "},
    {3, "ES-OBJ(29)  "},   {4, "ES-OBJ-ML   "},   {5, "ES-COORD    "},   {5, "ES-GSO      "},
    {6, "ES-NGSO     "},   {6, "ES-EPFD     "},   {7, "ES-ASYM     "},   {7, "ES-ASYM.1   "},
    {8, "FS-PEAK     "},   {8, "FS-P-P      "},   {9, "FS-AVG      "},   {9, "FS-P-P(av)  "},
    {10, "ES-SR       "},  {11, "RAS         "},  {11, "RAS-ES      "},  {12, "BSS-RX      "},
    {12, "BSS-RX(x)   "},  {13, "ES-ISO      "},  {13, "ES-OMNI     "},  {14, "ES-PARAB    "},
    {15, "RAD-U(pk)   "},  {16, "RAD-U(av)   "},  {17, "RAD-C(pk)   "},  {18, "RAD-C(av)   "},
    {19, "RAD-C2(pk)  "},  {20, "RAD-C2(av)  "},  {21, "RAD-CSC2    "},  {21, "RAD-CSC2*   "},
    {22, "FS-PMP-OMNI "},  {22, "FS-OMNI     "},  {23, "FS-PMP-S(pk)"},  {24, "FS-PMP-S(av)"},
    {25, "ES-CA       "},  {25, "ES-CA.7     "},  {26, "BC-RX(IV-V) "},  {27, "HAPS-GW     "},
    {27, "HAPS        "},  {28, "ES-AIRY     "},  {29, "ES-HEMI     "},  {101, "SS-LS20     "},
    {101, "SS-GSO-20   "}, {102, "SS-LS25     "}, {102, "SS-GSO-25   "}, {103, "SS-LS30     "},
    {103, "SS-GSO-30   "}, {104, "SS-NGSO-15  "}, {104, "SS-LN15     "}, {105, "SS-NGSO-20  "},
    {105, "SS-LN20     "}, {106, "SS-NGSO-25  "}, {106, "SS-LN25     "}, {107, "SS-NGSO-30  "},
    {107, "SS-LN30     "}, {108, "SS-LEO      "}, {109, "SS-FRO      "}, {109, "SS-FRO(Bmin)"},
    {109, "BSS-TX-FRO  "}, {109, "BSS-TX(FRO) "}, {110, "SS-PARAB    "}, {111, "SS-ISO      "},
    {111, "SS-OMNI     "}, {112, "SS-PSENS    "}, {113, "SS-SNS(a)   "}, {114, "SS-SNS(b)   "},
    {115, "SS-TAYLOR   "}, {115, "SS-NGSO-TAY "}, {116, "SS-AIRY     "},
};

const CurrentRow kCurrentNameTable[kCurrentRowCount] = {
    {1, "FSREF_001_V1"},   {2, "FSMLB_002_V1"},   {3, "FSOBJ_003_V1"},   {4, "FSOML_004_V1"},
    {5, "GSOCO_005_V1"},   {6, "NGSOE_006_V1"},   {7, "FSASY_007_V1"},   {8, "FSPKE_008_V1"},
    {9, "FSAVG_009_V1"},   {10, "SRES__010_V1"},  {11, "RASTA_011_V1"},  {12, "BSSRX_012_V1"},
    {13, "ISOTR_013_V1"},  {14, "PARAB_014_V1"},  {15, "RDUNP_015_V1"},  {16, "RDUNA_016_V1"},
    {17, "RDCOP_017_V1"},  {18, "RDCOA_018_V1"},  {19, "RDC2P_019_V1"},  {20, "RDC2A_020_V1"},
    {21, "CSEC2_021_V1"},  {22, "PMPOM_022_V1"},  {23, "PMPSP_023_V1"},  {24, "PMPSA_024_V1"},
    {25, "COORD_025_V1"},  {26, "TVRX4_026_V1"},  {27, "HAPSG_027_V1"},  {28, "AIRYE_028_V1"},
    {29, "HEMIS_029_V1"},  {101, "GSOSS_101_V1"}, {102, "GSOSS_102_V1"}, {103, "GSOSS_103_V1"},
    {104, "NGSOS_104_V1"}, {105, "NGSOS_105_V1"}, {106, "NGSOS_106_V1"}, {107, "NGSOS_107_V1"},
    {108, "NGLEO_108_V1"}, {109, "FROFF_109_V1"}, {110, "PARAB_110_V1"}, {111, "ISOTR_111_V1"},
    {112, "PSENS_112_V1"}, {113, "SNS9A_113_V1"}, {114, "SNS9B_114_V1"}, {115, "TAYLR_115_V1"},
    {116, "AIRYS_116_V1"},
};

namespace {

// Written when no current name is found: a NUL, eleven blanks and a NUL.
constexpr char kEmptyName[kCurrentNameBytes] = {'\0', ' ', ' ', ' ', ' ', ' ', ' ',
                                                ' ',  ' ', ' ', ' ', ' ', '\0'};
// The one length refused outright.
constexpr std::size_t kRefusedLength = 13;

constexpr int kMissingLegacyName = -1;
constexpr int kMissingCurrentName = -2;
constexpr int kNotFound = -2005;

// Length of a caller's text, reading at most limit + 1 characters: a result
// above limit only says "longer than limit".
std::size_t BoundedLength(const char* text, std::size_t limit) {
    std::size_t n = 0;
    while (n <= limit && text[n] != '\0') ++n;
    return n;
}

// Pattern number of a designation, or 0 when no row holds it.
std::int32_t LegacyNumber(const char* name, std::size_t length) {
    if (length != static_cast<std::size_t>(kDesignationLength)) return 0;
    for (const LegacyRow& row : kLegacyNameTable)
        if (std::memcmp(row.designation, name, kDesignationLength) == 0) return row.number;
    return 0;
}

const CurrentRow* CurrentName(std::int32_t number) {
    for (const CurrentRow& row : kCurrentNameTable)
        if (row.number == number) return &row;
    return nullptr;
}

}  // namespace

}  // namespace kam::legacy

// 0 with the 13 bytes of the current name written; -1 for a missing
// legacyName or one of exactly 13 characters, -2 for a missing currentName
// (nothing written in either case); -2005 with the empty name written when no
// current name is found. The caller's name is read at most 14 characters.
extern "C" KAM_API int KAM_CALL TMP_ConvertPatternName(const char* legacyName, char* currentName) {
    using namespace kam::legacy;
    if (legacyName == nullptr) return kMissingLegacyName;
    const std::size_t length = BoundedLength(legacyName, kRefusedLength);
    if (length == kRefusedLength) return kMissingLegacyName;
    if (currentName == nullptr) return kMissingCurrentName;
    const std::int32_t number = LegacyNumber(legacyName, length);
    const CurrentRow* row = number == 0 ? nullptr : CurrentName(number);
    if (row == nullptr) {
        std::memcpy(currentName, kEmptyName, sizeof kEmptyName);
        return kNotFound;
    }
    std::memcpy(currentName, row->name, kCurrentNameBytes);
    return 0;
}
