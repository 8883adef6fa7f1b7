#pragma once
// The contact list exchange file as text: its lines, the split of a contact line, the
// composition of one, and the 8-bit code page (Windows-1252) it is written in.

#include <QByteArray>
#include <QString>
#include <QStringList>

namespace scambio {

// First line of every exchange file.
inline constexpr const char* kIntestazione = "Nome e cognome;Posta elettronica;Telefono (ab.)";

// The values of one contact line, before they are cut to the field widths.
struct RigaContatto
{
    QString nome;
    QString cognome;
    QString mail;
    QString numero;
    bool operator==(const RigaContatto&) const = default;
};

// Splits a contact line: the name field up to the first ";" (Nome before its first blank,
// Cognome after it, or the whole field when it has no blank), Mail up to the second ";",
// Numero up to the third. Anything after the third ";" is ignored.
RigaContatto DividiRiga(const QString& riga);

// One exported line, without its line end: Nome, blank, Cognome, ";", Mail, ";", Numero, ";".
QString ComponiRiga(const QString& nome, const QString& cognome, const QString& mail,
                    const QString& numero);

// Lines of a text: CR LF, a lone CR or a lone LF each end a line; a final line end does
// not begin another line. An empty text has no line.
QStringList DividiInRighe(const QString& testo);

// The text of a file's bytes. A file that begins with the UTF-8 byte-order mark, or whose
// bytes are valid UTF-8 holding characters beyond ASCII, is read as UTF-8; anything else
// as Windows-1252.
QString DecodificaFile(const QByteArray& bytes);

// Windows-1252 decoding and encoding. The five bytes the code page leaves undefined
// (81 8D 8F 90 9D) read as the control characters of the same number. A character the
// code page cannot hold is written as "?".
QString DaWindows1252(const QByteArray& bytes);
// Appends the encoding of text to out; returns true when some character became "?".
bool AccodaWindows1252(QByteArray& out, QStringView text);
QByteArray AWindows1252(QStringView text);

// The name of the file an export writes: the chosen name, with ".csv" appended unless it
// already ends with it (in any case).
QString NomeFileEsportazione(const QString& nomeScelto);

} // namespace scambio
