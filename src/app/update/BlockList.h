#pragma once

// The four downloaded block lists: where they come from, how their text reads,
// and the digest that tells whether a list changed since its last merge.

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringView>

#include <array>

struct BlockListSource {
    const char16_t* categoryId; // reserved category, and the "DBMD5" key
    const char16_t* defaultHost;
    const char16_t* path;
};

// In the order of fetching; position + 1 is the category id.
inline constexpr std::array<BlockListSource, 4> BlockListSources = {{
    {u"1", u"tracker-one.blocklists.example", u"/blocklist.php?download=domainblocklist"},
    {u"2", u"tracker-two.blocklists.example", u"/blocklists.php?download=domainblocklist"},
    {u"3", u"tracker-three.blocklists.example", u"/blocklist.php?download=domainblocklist"},
    {u"4", u"lists.solvek.example", u"/modules/solvek/hosts.php"},
}};

// config.ini may name another host (with an optional ":port") per source, in
// this section under the category id; the paths and the order stay.
inline constexpr QStringView SourcesSection = u"SOURCES";

// "https://" + the configured host + the source's path.
QString blockListUrl(const BlockListSource& source);

// What one list line gives.
template <class View> struct BasicBlockLineHost {
    View host;            // empty when the line gives none
    bool skipped = false; // the line held text that is not one host name
};
using BlockLineHost = BasicBlockLineHost<QStringView>;

// A line whose first character is "#" is a comment and gives nothing;
// otherwise every "127.0.0.1" goes and blanks and control characters are
// trimmed from both ends. What is left is the host (a view into the line or
// into scratch) when it is one host name (isHostName); other text is skipped,
// since each of its words would become a name in the hosts file.
BlockLineHost hostFromBlockLine(QStringView line, QString& scratch);
// The same for a line of a reply's body, in its 8-bit form: the rules read
// only ASCII, so both forms give the same host.
BasicBlockLineHost<QByteArrayView> hostFromBlockLine(QByteArrayView line, QByteArray& scratch);

// True when a host can stand in a hosts-file line as written: not blank, no
// control characters other than tabs, no undecodable bytes.
bool isWritableHost(QStringView host);
// The same for a host in the 8-bit form.
bool isWritableHost(QByteArrayView host);

// The list text of a response body (the locale's 8-bit encoding).
QString blockListText(const QByteArray& body);

// MD5 hex digest of the list text in its 8-bit form, which is the body itself.
QString blockListDigest(const QByteArray& body);
