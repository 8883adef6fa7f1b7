#include "contacts/ScambioFormato.h"

#include <QStringDecoder>
#include <array>

namespace scambio {

namespace {

// Characters of the bytes 0x80-0x9F; an undefined byte stands for the control character
// of the same number.
constexpr std::array<char16_t, 32> kAlti = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
};

// Byte for a character outside 0x00-0x7F and 0xA0-0xFF, or 0 when the code page lacks it.
char byteAlto(char16_t c)
{
    for (int i = 0; i < 32; ++i) {
        if (kAlti[i] == c)
            return char(0x80 + i);
    }
    return 0;
}

bool soloAscii(const QByteArray& bytes)
{
    for (char b : bytes) {
        if (static_cast<unsigned char>(b) >= 0x80)
            return false;
    }
    return true;
}

} // namespace

RigaContatto DividiRiga(const QString& riga)
{
    RigaContatto r;
    const qsizetype p1 = riga.indexOf(u';');
    if (p1 < 0)
        return r;
    const QString primo = riga.left(p1);
    const qsizetype blank = primo.indexOf(u' ');
    if (blank < 0) {
        r.cognome = primo;
    } else {
        r.nome = primo.left(blank);
        r.cognome = primo.mid(blank + 1);
    }
    const qsizetype p2 = riga.indexOf(u';', p1 + 1);
    if (p2 < 0)
        return r;
    r.mail = riga.mid(p1 + 1, p2 - p1 - 1);
    const qsizetype p3 = riga.indexOf(u';', p2 + 1);
    if (p3 < 0)
        return r;
    r.numero = riga.mid(p2 + 1, p3 - p2 - 1);
    return r;
}

QString ComponiRiga(const QString& nome, const QString& cognome, const QString& mail,
                    const QString& numero)
{
    QString riga;
    riga.reserve(nome.size() + cognome.size() + mail.size() + numero.size() + 4);
    riga += nome;
    riga += u' ';
    riga += cognome;
    riga += u';';
    riga += mail;
    riga += u';';
    riga += numero;
    riga += u';';
    return riga;
}

QStringList DividiInRighe(const QString& testo)
{
    QStringList righe;
    const qsizetype n = testo.size();
    qsizetype inizio = 0;
    qsizetype i = 0;
    while (i < n) {
        const QChar c = testo.at(i);
        if (c == u'\r' || c == u'\n') {
            righe.append(testo.mid(inizio, i - inizio));
            ++i;
            if (c == u'\r' && i < n && testo.at(i) == u'\n')
                ++i;
            inizio = i;
        } else {
            ++i;
        }
    }
    if (inizio < n)
        righe.append(testo.mid(inizio));
    return righe;
}

QString DecodificaFile(const QByteArray& bytes)
{
    static const QByteArray bom("\xEF\xBB\xBF");
    if (bytes.startsWith(bom))
        return QString::fromUtf8(bytes.constData() + bom.size(), bytes.size() - bom.size());
    if (soloAscii(bytes))
        return QString::fromLatin1(bytes);
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString testo = utf8.decode(bytes);
    if (!utf8.hasError())
        return testo;
    return DaWindows1252(bytes);
}

QString DaWindows1252(const QByteArray& bytes)
{
    QString testo(bytes.size(), Qt::Uninitialized);
    QChar* out = testo.data();
    for (qsizetype i = 0; i < bytes.size(); ++i) {
        const auto b = static_cast<unsigned char>(bytes.at(i));
        out[i] = (b >= 0x80 && b < 0xA0) ? QChar(kAlti[b - 0x80]) : QChar(b);
    }
    return testo;
}

bool AccodaWindows1252(QByteArray& out, QStringView text)
{
    bool sostituito = false;
    const qsizetype base = out.size();
    out.resize(base + text.size());
    char* p = out.data() + base;
    qsizetype scritti = 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t c = text.at(i).unicode();
        char b;
        if (c < 0x80 || (c >= 0xA0 && c <= 0xFF)) {
            b = char(c);
        } else {
            b = byteAlto(c);
            if (b == 0) {
                b = '?';
                sostituito = true;
                // A character beyond the basic plane is one "?", not two.
                if (QChar::isHighSurrogate(c) && i + 1 < text.size() &&
                    QChar::isLowSurrogate(text.at(i + 1).unicode()))
                    ++i;
            }
        }
        p[scritti++] = b;
    }
    out.resize(base + scritti);
    return sostituito;
}

QByteArray AWindows1252(QStringView text)
{
    QByteArray out;
    AccodaWindows1252(out, text);
    return out;
}

QString NomeFileEsportazione(const QString& nomeScelto)
{
    if (nomeScelto.endsWith(QLatin1String(".csv"), Qt::CaseInsensitive))
        return nomeScelto;
    return nomeScelto + QLatin1String(".csv");
}

} // namespace scambio
