// The status vector, the error texts and the shared routines of the access layer.

#include "access/Qv.h"

#include <QRegularExpression>
#include <gtest/gtest.h>

#include <cstring>
#include <thread>

namespace {

template <typename Body>
EQvClientError clientErrorOf(Body body)
{
    try {
        body();
    } catch (const EQvClientError& error) {
        return error;
    }
    ADD_FAILURE() << "no client error raised";
    return EQvClientError(-1, QString());
}

// Puts a status vector in the calling thread's slot.
void setStatus(std::initializer_list<ISC_STATUS> words)
{
    ISC_STATUS* status = StatusVector();
    std::memset(status, 0, sizeof(TStatusVector));
    int i = 0;
    for (ISC_STATUS word : words)
        status[i++] = word;
}

TEST(StatusVector, IsZeroFilledAndPerThread)
{
    ISC_STATUS* mine = StatusVector();
    EXPECT_EQ(mine, StatusVector());
    ISC_STATUS* other = nullptr;
    bool otherZero = false;
    std::thread([&] {
        other = StatusVector();
        otherZero = std::all_of(other, other + ISC_STATUS_LENGTH, [](ISC_STATUS w) { return w == 0; });
    }).join();
    EXPECT_NE(mine, other);
    EXPECT_TRUE(otherZero);
    static_assert(sizeof(TStatusVector) == ISC_STATUS_LENGTH * sizeof(ISC_STATUS));
}

TEST(ClientErrors, CarryCodeAndTableText)
{
    const EQvClientError error = clientErrorOf([] { QvError(qveXSQLDAIndexOutOfRange); });
    EXPECT_EQ(error.SQLCode(), 22);
    EXPECT_EQ(error.Message(), QStringLiteral("XSQLDA index out of range."));
    EXPECT_STREQ(error.what(), "XSQLDA index out of range.");
}

TEST(ClientErrors, AreDatabaseErrorsOfTheDatasetFramework)
{
    try {
        QvError(qveEmptyQuery);
    } catch (const EDatabaseError& error) {
        EXPECT_EQ(error.Message(), QStringLiteral("Empty query."));
        EXPECT_NE(dynamic_cast<const EQvClientError*>(&error), nullptr);
        return;
    }
    FAIL() << "not caught as a database error";
}

TEST(ClientErrors, FormatTheirArguments)
{
    EXPECT_EQ(clientErrorOf([] { QvError(qveDPBConstantNotSupported, {QStringLiteral("page_size")}); })
                  .Message(),
              QStringLiteral("DPB Constant (isc_dpb_page_size) is unsupported."));
    EXPECT_EQ(clientErrorOf([] { QvError(qveDPBConstantUnknown, {0}); }).Message(),
              QStringLiteral("DPB Constant (0) is unknown."));
    EXPECT_EQ(clientErrorOf([] { QvError(qveFieldNotFound, {QStringLiteral("X")}); }).Message(),
              QStringLiteral("Field \"X\" not found."));
    EXPECT_EQ(clientErrorOf([] { QvError(qveWindowsAPIError, {5, 255}); }).Message(),
              QStringLiteral("Windows API error. (Windows error 5 [$000000ff])"));
    EXPECT_EQ(clientErrorOf([] { QvError(qveColumnTypesDontMatch, {1, 2}); }).Message(),
              QStringLiteral("Column types don't match. (From index: 1, To index: 2)"));
    EXPECT_EQ(clientErrorOf([] { QvError(qveSQLParseError, {QStringLiteral("EOF in string detected")}); })
                  .Message(),
              QStringLiteral("SQL Parse Error:\r\n\r\nEOF in string detected"));
    EXPECT_EQ(clientErrorOf([] { QvError(qveCantEndSharedTransaction); }).Message(),
              QStringLiteral("Can't end a shared transaction unless it is forced and equal to the "
                             "transaction's TimeoutAction."));
}

TEST(ClientErrors, CodeIsTakenModulo128)
{
    const EQvClientError error = clientErrorOf([] { QvError(128 + 36); });
    EXPECT_EQ(error.SQLCode(), 36);
    EXPECT_EQ(error.Message(), QStringLiteral("Empty query."));
}

TEST(ClientErrors, CodeOutsideTableGivesClearText)
{
    for (int code : {57, 100, 127}) {
        const EQvClientError error = clientErrorOf([code] { QvError(code); });
        EXPECT_EQ(error.SQLCode(), code);
        EXPECT_EQ(error.Message(), QStringLiteral("Unknown client error code (%1).").arg(code));
    }
}

TEST(CheckStatusVector, FindsGdsCodeAndNumberArgument)
{
    setStatus({isc_arg_gds, 335544344, isc_arg_string, 0x1234, isc_arg_number, 42, isc_arg_end});
    EXPECT_TRUE(CheckStatusVector({335544344}));
    EXPECT_TRUE(CheckStatusVector({7, 42}));
    EXPECT_FALSE(CheckStatusVector({0x1234}));
    EXPECT_FALSE(CheckStatusVector({335544485}));
}

TEST(CheckStatusVector, StepsOverCStringClusterWithoutReadingIt)
{
    // Length and address of the text are words of their own; the address is
    // garbage here and must never be followed, nor its length taken for a code.
    setStatus({isc_arg_cstring, 99, 0x10, isc_arg_gds, 335544577, isc_arg_end});
    EXPECT_TRUE(CheckStatusVector({335544577}));
    EXPECT_FALSE(CheckStatusVector({99}));
    EXPECT_FALSE(CheckStatusVector({0x10}));
}

TEST(CheckStatusVector, StopsAtTheEndOfAVectorWithoutTerminator)
{
    ISC_STATUS status[ISC_STATUS_LENGTH + 2];
    for (int i = 0; i < ISC_STATUS_LENGTH; i += 2) {
        status[i] = isc_arg_number;
        status[i + 1] = 1;
    }
    // Words past the vector's end hold a code that must not be seen.
    status[ISC_STATUS_LENGTH] = isc_arg_gds;
    status[ISC_STATUS_LENGTH + 1] = 777;
    EXPECT_FALSE(CheckStatusVector(status, {777}));
    EXPECT_TRUE(CheckStatusVector(status, {1}));
}

TEST(IBDataBaseError, DefaultMessageHasSqlMessageThenServerLines)
{
    setStatus({isc_arg_gds, isc_io_error, isc_arg_string, reinterpret_cast<ISC_STATUS>("open"),
               isc_arg_string, reinterpret_cast<ISC_STATUS>("/no/such.fdb"), isc_arg_gds,
               isc_io_open_err, isc_arg_unix, 2, isc_arg_end});
    try {
        IBDataBaseError();
        FAIL() << "no error raised";
    } catch (const EQvInterBaseError& error) {
        EXPECT_EQ(error.SQLCode(), -902);
        EXPECT_EQ(error.IBErrorCode(), isc_io_error);
        const QStringList lines = error.Message().split(QStringLiteral("\r\n"));
        // SQL message, server lines, and the break after the last line.
        ASSERT_GE(lines.size(), 4);
        EXPECT_TRUE(lines.last().isEmpty());
        for (qsizetype i = 0; i + 1 < lines.size(); ++i)
            EXPECT_TRUE(lines.at(i).endsWith(QLatin1Char('.'))) << qPrintable(lines.at(i));
        EXPECT_FALSE(lines.at(0).endsWith(QLatin1String("..")));
        EXPECT_TRUE(lines.at(1).contains(QLatin1String("/no/such.fdb"))) << qPrintable(lines.at(1));
        EXPECT_FALSE(error.Message().contains(QLatin1String("SQLCODE")));
    }
}

TEST(IBDataBaseError, OptionsChooseTheParts)
{
    const unsigned char saved = QvErrorOptions();
    EXPECT_EQ(saved, qvShowIBMessage | qvShowSQLMessage);
    setStatus({isc_arg_gds, isc_io_error, isc_arg_string, reinterpret_cast<ISC_STATUS>("open"),
               isc_arg_string, reinterpret_cast<ISC_STATUS>("x"), isc_arg_end});
    SetQvErrorOptions(qvShowSQLCode);
    try {
        IBDataBaseError();
    } catch (const EQvInterBaseError& error) {
        EXPECT_EQ(error.Message(), QStringLiteral("SQLCODE: -902"));
    }
    SetQvErrorOptions(qvShowSQLCode | qvShowIBMessage);
    try {
        IBDataBaseError();
    } catch (const EQvInterBaseError& error) {
        EXPECT_TRUE(error.Message().startsWith(QStringLiteral("SQLCODE: -902\r\n")));
        EXPECT_TRUE(error.Message().endsWith(QStringLiteral(".\r\n")));
    }
    SetQvErrorOptions(saved);
}

TEST(Routines, RandomDigitStringHasExactLength)
{
    static const QRegularExpression digits(QStringLiteral("^[0-9]{8}$"));
    for (int i = 0; i < 100; ++i)
        EXPECT_TRUE(digits.match(MakeRandomDigitString(8)).hasMatch());
    EXPECT_EQ(MakeRandomDigitString(25).size(), 25);
    EXPECT_TRUE(MakeRandomDigitString(0).isEmpty());
}

TEST(Routines, RandomIntStaysInRange)
{
    for (int i = 0; i < 1000; ++i) {
        const int value = RandomIntInRange(5, 8);
        EXPECT_GE(value, 5);
        EXPECT_LE(value, 7);
    }
    EXPECT_EQ(IntMin(3, -2), -2);
}

TEST(Routines, QvAllocZeroFillsGrowthAndFrees)
{
    auto* bytes = static_cast<unsigned char*>(QvAlloc(nullptr, 0, 16));
    for (int i = 0; i < 16; ++i)
        EXPECT_EQ(bytes[i], 0);
    std::memset(bytes, 0xab, 16);
    bytes = static_cast<unsigned char*>(QvAlloc(bytes, 16, 64));
    EXPECT_EQ(bytes[15], 0xab);
    for (int i = 16; i < 64; ++i)
        EXPECT_EQ(bytes[i], 0);
    EXPECT_EQ(QvAlloc(bytes, 64, 0), nullptr);
}

TEST(Routines, XSQLDALengthUsesTheLibraryLayout)
{
    EXPECT_EQ(XSQLDALength(1), sizeof(XSQLDA));
    EXPECT_EQ(XSQLDALength(3), sizeof(XSQLDA) + 2 * sizeof(XSQLVAR));
}

TEST(InfoReply, FindsItemsAndStopsAtEndOrBuffer)
{
    const QByteArray reply("\x0e\x04\x00\x00\x10\x00\x00" // page size 4096
                           "\x20\x02\x00\x0c\x00"         // ODS 12
                           "\x01",
                           13);
    QvInfoValue value;
    ASSERT_TRUE(QvFindInfoItem(reply, isc_info_page_size, value));
    EXPECT_EQ(value.integer(), 4096);
    ASSERT_TRUE(QvFindInfoItem(reply, isc_info_ods_version, value));
    EXPECT_EQ(value.integer(), 12);
    EXPECT_FALSE(QvFindInfoItem(reply, isc_info_version, value));

    // A length running past the buffer is not followed.
    const QByteArray cut("\x0e\x40\x00\x00", 4);
    bool truncated = false;
    EXPECT_FALSE(QvFindInfoItem(cut, isc_info_page_size, value, &truncated));
    EXPECT_TRUE(truncated);
    const QByteArray marked("\x02", 1);
    EXPECT_FALSE(QvFindInfoItem(marked, isc_info_page_size, value, &truncated));
    EXPECT_TRUE(truncated);
}

TEST(InfoReply, RequestGrowsWhileTruncated)
{
    int calls = 0;
    QList<int> sizes;
    const QByteArray reply = QvRequestInfo(16, [&](char* buffer, short length) {
        ++calls;
        sizes.append(length);
        std::memset(buffer, 0, std::size_t(length));
        if (length < 64) {
            buffer[0] = char(isc_info_truncated);
            return;
        }
        buffer[0] = 22;
        buffer[1] = 1;
        buffer[2] = 0;
        buffer[3] = 'x';
        buffer[4] = char(isc_info_end);
    });
    EXPECT_EQ(sizes, (QList<int>{16, 32, 64}));
    QvInfoValue value;
    ASSERT_TRUE(QvFindInfoItem(reply, 22, value));
    EXPECT_EQ(QByteArray(value.data, value.length), QByteArray("x"));
}

} // namespace
