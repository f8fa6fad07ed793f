// Text: bounded copies, network text by alphabet, the DCS decoder, the Skype ID in the UUS
// payload, full names, today's date, and the host's code conversions underneath.
#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "CallCommonSvc/H/CallCommonSvc.h"
#include "CallCommonSvc/Platform/TmxGWESCore.h"
#include "CallCommonSvc/Util/CallCommonUtil.h"
#include "support/HostTest.h"

namespace {

const unsigned kFail = 0xBA;
const unsigned short kGuard = 0xEEEE;

class Text : public HostTest {
protected:
    // Wide text as the platform holds it (terminated), and back.
    static std::vector<unsigned short> W(const std::u16string& s) {
        std::vector<unsigned short> units(s.begin(), s.end());
        units.push_back(0);
        return units;
    }
    static std::u16string Wide(const unsigned short* p) { return {p, p + WmStrlen(p)}; }
    static std::u16string Widen(const std::string& s) { return {s.begin(), s.end()}; }

    // Network text, exactly its bytes, converted by alphabet into 64 bytes of 'x'.
    static std::string ByType(const std::string& in, int eType, int nStrLen, int nBufLen = 64) {
        std::vector<char> src(in.begin(), in.end()), out(64, 'x');
        CallAcStrcpyByEncodeType(out.data(), nBufLen, src.data(), nStrLen, eType);
        return std::string(out.data(), std::find(out.begin(), out.end(), '\0') - out.begin());
    }
};

// The DCS table row by row (dcs & mask == value, then the alphabet bits dcs & 0x0C, -1 for
// any); the first row that matches decides.
const int kDcsRows[][4] = {{0xFF, 0x11, -1, 2},   {0xC0, 0x00, -1, 1},   {0xF0, 0xF0, 0x04, 0},
                           {0xF0, 0xF0, -1, 1},   {0x40, 0x40, 0x00, 1}, {0x40, 0x40, 0x04, 0},
                           {0x40, 0x40, 0x08, 2}, {0x40, 0x40, 0x0C, 1}, {0xC0, 0x80, -1, 1}};

int ExpectedAlphabet(int dcs) {
    for (const auto& row : kDcsRows) {
        if ((dcs & row[0]) == row[1] && (row[2] < 0 || (dcs & 0x0C) == row[2])) {
            return row[3];
        }
    }
    return -1;
}

}  // namespace

TEST_F(Text, BoundedCopiesTruncateAndTerminateWithinTheBuffer) {
    const struct {
        const char* src;
        int count;
        const char* out;  // null: not even a terminator fits, nothing is written
    } cases[] = {{"abcdef", 4, "abc"}, {"abcd", 4, "abc"},  {"abc", 4, "abc"},   {"", 1, ""},
                 {"ab", 1, ""},        {"abc", 0, nullptr}, {"abc", -1, nullptr}};
    for (const auto& c : cases) {
        char narrow[8];
        unsigned short wide[8];
        std::fill(std::begin(narrow), std::end(narrow), 'x');
        std::fill(std::begin(wide), std::end(wide), kGuard);
        CallAcStrcpy(narrow, c.count, c.src);
        CallWmStrcpy(wide, c.count, W(Widen(c.src)).data());
        if (c.out != nullptr) {
            EXPECT_STREQ(narrow, c.out) << c.src << " into " << c.count;
            EXPECT_EQ(Wide(wide), Widen(c.out)) << c.src << " into " << c.count;
        }
        for (int i = c.out == nullptr ? 0 : c.count; i < 8; ++i) {
            EXPECT_EQ(narrow[i], 'x') << c.src << " into " << c.count << " at " << i;
            EXPECT_EQ(wide[i], kGuard) << c.src << " into " << c.count << " at " << i;
        }
    }
    std::vector<std::string> fails = TraceTexts(kFail);
    auto count = [&](const char* text) { return std::count(fails.begin(), fails.end(), text); };
    EXPECT_EQ(count("CallAcStrcpy:short of buffer..BufCount=4, strlen=6, str=abcdef\n"), 1);
    EXPECT_EQ(count("CallWmStrcpy:short of buffer..BufCount=4, strlen=6\n"), 1);
    EXPECT_EQ(count("CallAcStrcpy:short of buffer..BufCount=4, strlen=3, str=abc\n"), 0);
}

TEST_F(Text, NullArgumentsAreReportedByName) {
    char buf[8];
    unsigned short wide[16];
    EXPECT_EQ(CallAcStrcpy(nullptr, 8, "a"), nullptr);
    EXPECT_EQ(CallAcStrcpy(buf, 8, nullptr), nullptr);
    EXPECT_EQ(CallWmStrcpy(nullptr, 8, W(u"a").data()), nullptr);
    EXPECT_EQ(CallWmStrcpy(wide, 8, nullptr), nullptr);
    EXPECT_EQ(CallWmSprintf(wide, nullptr, "a"), nullptr);
    EXPECT_EQ(CallWmSprintf(wide, "%s", nullptr), nullptr);
    EXPECT_EQ(CallSetDisplayFullName(nullptr, 8, "a", "b"), nullptr);
    EXPECT_EQ(CallSetDisplayFullName(buf, 8, nullptr, "b"), nullptr);
    EXPECT_EQ(CallSetDisplayFullName(buf, 8, "a", nullptr), nullptr);
    EXPECT_EQ(CallAcStrcpyByEncodeType(nullptr, 8, buf, 1, 0), 0);
    EXPECT_EQ(CallAcStrcpyByEncodeType(buf, 8, nullptr, 1, 0), 0);
    ExpectReports({"pBuffer", "pszString", "pBuffer", "pmszString", "pszString1", "pszString2",
                   "pszFullName", "pszLastName", "pszFirstName", "pBuffer != NULL",
                   "pszString != NULL"});
    EXPECT_EQ(Wide(CallWmSprintf(wide, "Hi %s", "Kim")), u"Hi Kim");
}

TEST_F(Text, ParseDcsFollowsTheTableForEveryValue) {
    for (int dcs = 0; dcs < 256; ++dcs) {
        ASSERT_NE(ExpectedAlphabet(dcs), -1) << "no row covers " << dcs;
        EXPECT_EQ(CallUtilParseDCS(static_cast<unsigned char>(dcs)), ExpectedAlphabet(dcs))
            << "dcs 0x" << std::hex << dcs;
    }
    const int samples[][2] = {{0x0F, 1}, {0x11, 2}, {0x44, 0}, {0x48, 2},
                              {0x4C, 1}, {0xF4, 0}, {0xF0, 1}, {0x94, 1}};
    for (const auto& s : samples) {
        EXPECT_EQ(CallUtilParseDCS(static_cast<unsigned char>(s[0])), s[1]) << s[0];
    }
}

TEST_F(Text, Ucs2ByteSwapStopsAtNulOrCount) {
    EXPECT_EQ(CCallUtil::UtilSwapShort(0x1234), 0x3412);
    unsigned short src[] = {0x4100, 0x4200, 0}, dest[5] = {kGuard, kGuard, kGuard, kGuard};
    EXPECT_EQ(CallUtilSwapMCHAR(dest, src, 3), 0);  // stopped by the NUL
    EXPECT_EQ(std::vector<unsigned short>(dest, dest + 4),
              (std::vector<unsigned short>{0x0041, 0x0042, 0, kGuard}));
    EXPECT_EQ(CallUtilSwapMCHAR(dest, src, 1), 1);
    EXPECT_EQ(Wide(dest), u"A");
}

TEST_F(Text, SkypeIdRidesInThirtyOneBytes) {
    // The 32nd character rides, high bit first, on bit 7 of bytes 23 to 30.
    for (char last : {'5', '~', '\x01'}) {
        std::string id = std::string("abcdefghijklmnopqrstuvwxyz01234") + last;
        std::vector<unsigned char> uus(40, 0xEE);
        ASSERT_EQ(CallEncodeSkypeID(uus.data(), id.data(), 32), 31);
        for (int i = 0; i < 31; ++i) {
            int bit = i < 23 ? 0 : (last >> (30 - i)) & 1;
            EXPECT_EQ(uus[i], id[i] | bit << 7) << "byte " << i;
        }
        EXPECT_EQ(uus[31], 0xEE) << "byte 31 is not part of the payload";
        std::vector<unsigned char> payload(uus.begin(), uus.begin() + 31);
        std::vector<char> decoded(33, '\0');
        EXPECT_EQ(CallDecodeSkypeID(payload.data(), decoded.data(), 31), 32);
        EXPECT_EQ(std::string(decoded.data()), id);
    }
    // Up to 31 characters are copied unchanged and unterminated; past 32 only the first 32 count.
    std::string id20 = "live:someone.else_20", id40 = "0123456789abcdefghijklmnopqrstuvWXYZ!@#$";
    std::vector<unsigned char> uus(40, 0xEE);
    EXPECT_EQ(CallEncodeSkypeID(uus.data(), id20.data(), 20), 20);
    EXPECT_EQ(std::string(uus.begin(), uus.end()), id20 + std::string(20, '\xEE'));
    uus.assign(40, 0xEE);
    EXPECT_EQ(CallEncodeSkypeID(uus.data(), id40.data(), 40), 31);
    EXPECT_EQ(std::string(uus.begin() + 31, uus.end()), std::string(9, '\xEE'));
    // The decoder reads no more than the 31 payload bytes and writes within 33.
    std::vector<unsigned char> payload(uus.begin(), uus.begin() + 31);
    std::vector<char> decoded(40, 'x');
    std::fill(decoded.begin(), decoded.begin() + 33, '\0');
    EXPECT_EQ(CallDecodeSkypeID(payload.data(), decoded.data(), 100), 32);
    EXPECT_EQ(std::string(decoded.data()), id40.substr(0, 32));
    EXPECT_EQ(std::string(decoded.begin() + 33, decoded.end()), "xxxxxxx");
}

TEST_F(Text, FullNameAndToday) {
    // Last name, first name, and the full name shown: the first name comes first.
    const char* const names[][3] = {
        {"Kim", "Min", "MinKim"}, {"Kim", "", "Kim"}, {"", "Min", "Min"}, {"", "", ""}};
    char full[32];
    for (const auto& n : names) {
        EXPECT_EQ(CallSetDisplayFullName(full, sizeof(full), n[0], n[1]), full);
        EXPECT_STREQ(full, n[2]);
    }
    EXPECT_STREQ(CallSetDisplayFullName(full, 4, "Kim", "Min"), "Min");
    // Month and day against today's, from the first to the last second of the day; the year
    // does not count.
    const long long dec5 = 1701734400;  // 2023-12-05 00:00:00
    const long long cases[][4] = {
        {dec5, 12, 5, 1}, {dec5 + 86399, 12, 5, 1}, {dec5, 12, 6, 0},        {dec5, 11, 5, 0},
        {dec5, 12, 4, 0}, {dec5 + 86400, 12, 5, 0}, {dec5 + 86400, 12, 6, 1}};
    for (const auto& c : cases) {
        tmxhost::SetLocalTime(c[0]);
        const int date[3] = {1980, static_cast<int>(c[1]), static_cast<int>(c[2])};
        EXPECT_EQ(CallIsToday(date), c[3]) << c[1] << "-" << c[2] << " at " << c[0];
    }
}

TEST_F(Text, NetworkTextIsConvertedByItsAlphabet) {
    const std::string text = "Gr\u00FC\u00DFe \u20AC";
    EXPECT_EQ(ByType(text, 0, text.size()), text);
    EXPECT_EQ(ByType("abcdef", 0, 3), "abc");
    // UCS2, high byte first; an odd count drops the last byte.
    EXPECT_EQ(ByType(std::string("\0A\0B", 4), 2, 4), "AB");
    EXPECT_EQ(ByType(std::string("\0A\0B\0C", 6), 2, 5), "AB");
    EXPECT_EQ(ByType(std::string("\x20\xAC\xD8\x3D\xDE\x00", 6), 2, 6), "\u20AC\U0001F600");
    // GSM 7-bit, unpacked: the escape into the extension table, and septet 0 is '@', not an end.
    EXPECT_EQ(ByType("\x1B\x28", 1, 2), "{");
    EXPECT_EQ(ByType("\x1B\x65", 1, 2), "\u20AC");
    EXPECT_EQ(ByType("\x1B\x28", 7, 2), "{");
    EXPECT_EQ(ByType(std::string("Hi\0\x11\x7F\x02\x24", 7), 1, 7), "Hi@_\u00E0$\u00A4");
    // Long input stops at the 480 characters of the work buffer; no capacity, no output.
    for (int eType : {0, 1, 2}) {
        std::vector<char> src(2000, 'a'), out(1000, 'x');
        for (size_t i = 0; eType == 2 && i < src.size(); i += 2) {
            src[i] = '\0';
        }
        CallAcStrcpyByEncodeType(out.data(), 1000, src.data(), 2000, eType);
        EXPECT_EQ(std::string(out.data()), std::string(480, 'a')) << "type " << eType;
        EXPECT_EQ(ByType("abc", eType, 3, 0), std::string(64, 'x')) << "type " << eType;
        EXPECT_EQ(ByType("abc", eType, 3, -1), std::string(64, 'x')) << "type " << eType;
    }
}

TEST_F(Text, HostConversionsReplaceMalformedText) {
    unsigned short wide[16];
    char back[32];
    // Malformed input becomes U+FFFD, never another character or a lone surrogate: stray and
    // overlong bytes, encoded surrogates, cut sequences and the lead bytes 0xF5 to 0xFF.
    for (const char* bad : {"\xFF", "\x80\xBF", "\xC0\xAF", "\xED\xA0\x80", "\xF0\x9F\x98",
                            "\xF4\x90\x80\x80", "\xF5\x80\x80", "\xFF\x80\x80\x80"}) {
        SCOPED_TRACE(testing::PrintToString(std::string(bad)));
        WmConvert2PCodeN(wide, sizeof(wide), bad, -1);
        std::u16string got = Wide(wide);
        EXPECT_FALSE(got.empty());
        EXPECT_EQ(got, std::u16string(got.size(), u'\uFFFD'));
    }
    WmConvert2PCodeN(wide, sizeof(wide), "\xC3(", -1);
    EXPECT_EQ(Wide(wide), u"\uFFFD(");
    WmConvert2LCode(back, sizeof(back), W(u"\xD800x\xDC00").data());
    EXPECT_STREQ(back, "\uFFFDx\uFFFD");
}

TEST_F(Text, HostConversionsStayWithinCapacityAndKeepCharactersWhole) {
    const char utf8[] = "a\u00E9\u20AC\U0001F600";  // characters of 1, 2, 3 and 4 bytes
    const std::u16string utf16 = u"a\u00E9\u20AC\U0001F600";
    unsigned short wide[16];
    char back[32];
    // Each capacity in bytes takes the whole characters that fit before the terminator, and
    // nothing is written past it; a capacity of 0 (or 1 for wide text) gets nothing at all.
    const size_t fit8[15] = {0, 0, 1, 1, 3, 3, 3, 6, 6, 6, 6, 10, 10, 10, 10};
    const size_t fit16[8] = {0, 0, 1, 2, 3, 3, 5, 5};  // by capacity in units
    for (int cap = 0; cap <= 14; ++cap) {
        std::fill(std::begin(back), std::end(back), 'x');
        std::fill(std::begin(wide), std::end(wide), kGuard);
        WmConvert2LCode(back, cap, W(utf16).data());
        WmConvert2PCodeN(wide, cap, utf8, -1);
        std::string expected8 = std::string(utf8, fit8[cap]) + std::string(cap > 0, '\0');
        std::u16string expected16 = utf16.substr(0, fit16[cap / 2]) + std::u16string(cap > 1, 0);
        expected8.resize(sizeof(back), 'x');
        expected16.resize(16, kGuard);
        EXPECT_EQ(std::string(back, sizeof(back)), expected8) << "capacity " << cap;
        EXPECT_EQ(std::u16string(wide, wide + 16), expected16) << "capacity " << cap;
    }
}
