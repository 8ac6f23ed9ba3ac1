// Character encodings: the code-page list, the byte-to-character table, reading one source
// character.
#include "document/encoding.h"

#include "platform/sys/code_pages.h"

namespace lectra {

const CodePageRow kCodePageList[] = {
    {-1, u"Auto (Russian)"},
    {65001, u"UTF-8"},
    {16777215, u"Unicode"},
    {866, u"Russian - 866 OEM"},
    {1251, u"Russian - 1251 ANSI"},
    {20866, u"Russian - 20866 KOI8"},
    {28595, u"Russian - 28595 ISO 8859-5"},
    {10007, u"Cyrillic - 10007 MAC"},
    {1250, u"Central Europe - 1250 ANSI"},
    {28592, u"Central Europe - 28592 ISO 8859-2 "},
    {500, u"International - 500 IBM EBCDIC"},
    {775, u"Baltic - 755 OEM"},
    {850, u"Multilingual Latin I - 850 OEM"},
    {852, u"Latin II - 852 OEM"},
    {1252, u"Latin I - 1252 ANSI"},
    {28599, u"Latin 5 - 28599 ISO 8859-9"},
    {28605, u"Latin 9 - 28605 ISO 8859-15"},
    {28591, u"Latin I - 28591 ISO 8859-1"},
    {10029, u"Latin II - 10029 MAC"},
    {869, u"Modern Greek - 869 OEM"},
    {875, u"Modern Greek - 875 IBM EBCDIC"},
    {737, u"Greek 437G - 737 OEM"},
    {1253, u"Greek - 1253 ANSI"},
    {10006, u"Greek I - 10006 MAC"},
    {28597, u"Greek - 28597 ISO 8859-7"},
    {855, u"Cyrillic - 855 OEM"},
    {860, u"Portuguese - 860 OEM"},
    {861, u"Icelandic - 861 OEM"},
    {863, u"Canadian French - 863 OEM"},
    {865, u"Nordic - 865 OEM"},
    {10082, u"Croatia - 10082 MAC"},
    {874, u"Thai - 874 ANSI/OEM"},
    {857, u"Turkish - 857 OEM"},
    {1026, u"Turkish (Latin-5) - 1026 IBM EBCDIC"},
    {10081, u"Turkish - 10081 MAC"},
    {1254, u"Turkish - 1254 ANSI"},
    {1255, u"Hebrew - 1255 ANSI"},
    {1256, u"Arabic - 1256 ANSI"},
    {10000, u"Roman - 10000 MAC"},
    {10010, u"Romania - 10010 MAC"},
    {10079, u"Icelandic - 10079 MAC"},
    {21866, u"Ukrainian - 21866 KOI8-U"},
    {10017, u"Ukraine - 10017 MAC"},
    {28594, u"Baltic - 28594 ISO 8859-4"},
    {1257, u"Baltic - 1257 ANSI"},
    {37, u"U.S./Canada - 37 IBM EBCDIC"},
    {437, u"United States - 437 OEM"},
    {0, nullptr},
};

int CodePageListSize() {
    int n = 0;
    while (kCodePageList[n].name) ++n;
    return n;
}

int IsListedCodePage(int id) {
    for (int i = 1; kCodePageList[i].name; ++i) {
        if (kCodePageList[i].id == id) return 1;
    }
    return 0;
}

void BuildByteToChar(Document& doc) {
    for (int b = 0; b < 128; ++b) doc.byteToChar[b] = static_cast<char16_t>(b);
    if (!CodePageHighHalf(doc.bookCodePage, doc.byteToChar + 128)) {
        for (int b = 128; b < 256; ++b) doc.byteToChar[b] = u'?';
    }
}

}  // namespace lectra
