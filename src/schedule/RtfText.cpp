#include "schedule/RtfText.h"

#include "common/Zeichen.h"

#include <QStringDecoder>
#include <algorithm>
#include <iterator>
#include <string_view>
#include <vector>

namespace {

constexpr int MaxTiefe = 128;     // groups deeper than this share their parent's state
constexpr int MaxWortLaenge = 32; // longer control words are read to their end but not matched
constexpr int MaxFallback = 16;   // "\ucN" beyond this is treated as this

// Destinations whose text is not part of the document's body.
constexpr std::string_view VersteckteZiele[] = {"fonttbl",
                                                "colortbl",
                                                "stylesheet",
                                                "info",
                                                "pict",
                                                "object",
                                                "header",
                                                "headerl",
                                                "headerr",
                                                "headerf",
                                                "footer",
                                                "footerl",
                                                "footerr",
                                                "footerf",
                                                "footnote",
                                                "annotation",
                                                "fldinst",
                                                "themedata",
                                                "colorschememapping",
                                                "datastore",
                                                "latentstyles",
                                                "listtable",
                                                "listoverridetable",
                                                "rsidtbl",
                                                "generator",
                                                "xmlnstbl",
                                                "mmathPr",
                                                "filetbl",
                                                "revtbl",
                                                "pgdsctbl",
                                                "bkmkstart",
                                                "bkmkend",
                                                "atnid",
                                                "atnauthor",
                                                "private",
                                                "pntext",
                                                "listtext",
                                                "nonshppict",
                                                "shpinst",
                                                "xe",
                                                "tc",
                                                "template",
                                                "docvar",
                                                "userprops",
                                                "passwordhash",
                                                "author",
                                                "title",
                                                "subject",
                                                "keywords",
                                                "comment",
                                                "operator",
                                                "company"};

struct TGruppe {
    bool VersteckenS = false;
    int Uc = 1; // fallback characters after "\uN"
};

class TRtfLeser {
public:
    TRtfLeser(QByteArrayView rtf, qsizetype maxZeichen) : FRtf(rtf), FMax(maxZeichen) {
        FStapel.reserve(16);
        FStapel.push_back({});
    }

    QString Lesen() {
        while (FPos < FRtf.size() && FText.size() < FMax) {
            const char c = FRtf[FPos++];
            switch (c) {
            case '{':
                GruppeAuf();
                break;
            case '}':
                GruppeZu();
                break;
            case '\\':
                Steuerung();
                break;
            case '\r':
            case '\n':
                break; // line breaks of the file carry no meaning
            default:
                Zeichen(static_cast<unsigned char>(c));
                break;
            }
        }
        BytesAusgeben();
        if (FText.size() > FMax)
            FText.truncate(FMax);
        return FText;
    }

private:
    TGruppe& Aktuell() { return FStapel.back(); }

    void GruppeAuf() {
        BytesAusgeben();
        FFallback = 0;
        if (FStapel.size() < MaxTiefe)
            FStapel.push_back(Aktuell());
        else
            ++FUeberlauf;
    }

    void GruppeZu() {
        BytesAusgeben();
        FFallback = 0;
        if (FUeberlauf > 0)
            --FUeberlauf;
        else if (FStapel.size() > 1)
            FStapel.pop_back();
    }

    // A character of the body, unless hidden or part of a "\uN" fallback.
    void Zeichen(unsigned char c) {
        if (FFallback > 0) {
            --FFallback;
            return;
        }
        if (Aktuell().VersteckenS)
            return;
        if (c >= 0x80) {
            FBytes.append(char(c));
            if (FBytes.size() >= 4096)
                BytesAusgeben(); // keeps the output limit effective
            return;
        }
        if (c < 0x20 && c != '\t')
            return;
        BytesAusgeben();
        FText.append(QLatin1Char(char(c)));
    }

    void Ausgeben(QChar c) {
        if (Aktuell().VersteckenS)
            return;
        BytesAusgeben();
        FText.append(c);
    }

    void Steuerung() {
        if (FPos >= FRtf.size())
            return;
        const char c = FRtf[FPos];
        if (IstBuchstabe(c)) {
            Steuerwort();
            return;
        }
        ++FPos;
        switch (c) {
        case '\'': {
            if (FPos + 2 > FRtf.size()) {
                FPos = FRtf.size();
                return;
            }
            const int hoch = ::HexWert(char16_t(uchar(FRtf[FPos]))),
                      tief = ::HexWert(char16_t(uchar(FRtf[FPos + 1])));
            FPos += 2;
            if (hoch >= 0 && tief >= 0)
                Zeichen(static_cast<unsigned char>(hoch * 16 + tief));
            return;
        }
        case '\\':
        case '{':
        case '}':
            Zeichen(static_cast<unsigned char>(c));
            return;
        case '~':
            ZeichenOderFallback(QChar(0x00A0));
            return;
        case '_':
            ZeichenOderFallback(QChar(u'-'));
            return;
        case '*':
            // A destination the reader does not know: none of them belongs to the body.
            Aktuell().VersteckenS = true;
            return;
        case '\r':
        case '\n':
            ZeichenOderFallback(QChar(u'\n'));
            return;
        default:
            ZeichenOderFallback(QChar()); // optional hyphen and the like: nothing
            return;
        }
    }

    void ZeichenOderFallback(QChar c) {
        if (FFallback > 0) {
            --FFallback;
            return;
        }
        if (!c.isNull())
            Ausgeben(c);
    }

    void Steuerwort() {
        const qsizetype start = FPos;
        while (FPos < FRtf.size() && IstBuchstabe(FRtf[FPos]))
            ++FPos;
        const qsizetype laenge = FPos - start;
        const std::string_view wort = laenge <= MaxWortLaenge
                                          ? std::string_view(FRtf.data() + start, size_t(laenge))
                                          : std::string_view();

        bool mitZahlS = false;
        bool negativS = false;
        qint64 zahl = 0;
        if (FPos < FRtf.size() && FRtf[FPos] == '-' && FPos + 1 < FRtf.size() && IstZiffer(FRtf[FPos + 1])) {
            negativS = true;
            ++FPos;
        }
        while (FPos < FRtf.size() && IstZiffer(FRtf[FPos])) {
            mitZahlS = true;
            zahl = std::min<qint64>(zahl * 10 + (FRtf[FPos] - '0'), 1'000'000'000);
            ++FPos;
        }
        if (negativS)
            zahl = -zahl;
        if (FPos < FRtf.size() && FRtf[FPos] == ' ')
            ++FPos; // the delimiter belongs to the control word

        if (wort == "bin") {
            // Binary data follows; it is never text. Skip it within the input.
            BytesAusgeben();
            const qint64 n = mitZahlS ? std::max<qint64>(zahl, 0) : 0;
            FPos = std::min<qint64>(FRtf.size(), FPos + n);
            return;
        }
        if (wort == "u") {
            if (!mitZahlS)
                return;
            if (FFallback > 0) {
                --FFallback;
                return;
            }
            qint64 einheit = zahl;
            if (einheit < 0)
                einheit += 65536;
            if (einheit >= 0 && einheit <= 0xFFFF && !Aktuell().VersteckenS) {
                BytesAusgeben();
                FText.append(QChar(char16_t(einheit)));
            }
            FFallback = Aktuell().Uc;
            return;
        }
        if (wort == "uc") {
            Aktuell().Uc = int(std::clamp<qint64>(mitZahlS ? zahl : 1, 0, MaxFallback));
            return;
        }
        if (wort == "ansicpg") {
            BytesAusgeben();
            FCodepage = mitZahlS ? int(std::clamp<qint64>(zahl, 0, 65535)) : 0;
            FDekoderGeprueftS = false;
            return;
        }
        if (FFallback > 0) {
            --FFallback;
            return;
        }
        if (!wort.empty() && std::find(std::begin(VersteckteZiele), std::end(VersteckteZiele), wort) !=
                                 std::end(VersteckteZiele)) {
            Aktuell().VersteckenS = true;
            return;
        }
        if (wort == "par" || wort == "line" || wort == "sect" || wort == "page" || wort == "row")
            Ausgeben(QChar(u'\n'));
        else if (wort == "tab" || wort == "cell")
            Ausgeben(QChar(u'\t'));
        else if (wort == "emdash")
            Ausgeben(QChar(0x2014));
        else if (wort == "endash")
            Ausgeben(QChar(0x2013));
        else if (wort == "emspace" || wort == "enspace" || wort == "qmspace")
            Ausgeben(QChar(u' '));
        else if (wort == "bullet")
            Ausgeben(QChar(0x2022));
        else if (wort == "lquote")
            Ausgeben(QChar(0x2018));
        else if (wort == "rquote")
            Ausgeben(QChar(0x2019));
        else if (wort == "ldblquote")
            Ausgeben(QChar(0x201C));
        else if (wort == "rdblquote")
            Ausgeben(QChar(0x201D));
        // Every other control word only formats.
    }

    // Bytes of the ANSI code page collected from "\'hh" and raw characters above 0x7F.
    void BytesAusgeben() {
        if (FBytes.isEmpty())
            return;
        if (!FDekoderGeprueftS) {
            FDekoderGeprueftS = true;
            FDekoder = QStringDecoder();
            if (FCodepage == 65001)
                FDekoder = QStringDecoder(QStringConverter::Utf8);
            else if (FCodepage > 0) {
                const QByteArray name = "windows-" + QByteArray::number(FCodepage);
                FDekoder = QStringDecoder(name.constData());
            }
        }
        if (FDekoder.isValid()) {
            FText.append(FDekoder.decode(FBytes));
            FDekoder.resetState();
        } else {
            FText.append(QString::fromLatin1(FBytes));
        }
        FBytes.clear();
    }

    static bool IstBuchstabe(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }
    static bool IstZiffer(char c) { return c >= '0' && c <= '9'; }

    QByteArrayView FRtf;
    qsizetype FMax;
    qsizetype FPos = 0;
    std::vector<TGruppe> FStapel;
    int FUeberlauf = 0;
    int FFallback = 0;
    int FCodepage = 1252;
    bool FDekoderGeprueftS = false;
    QStringDecoder FDekoder;
    QByteArray FBytes;
    QString FText;
};

} // namespace

QString RtfZuText(QByteArrayView rtf, qsizetype maxZeichen) {
    return TRtfLeser(rtf, std::max<qsizetype>(maxZeichen, 0)).Lesen();
}

bool IstRtf(QByteArrayView daten) {
    return daten.startsWith("{\\r");
}
