#include "formats/xlsx/XlsxXmlScan.h"

#include "core/base/Error.h"

#include <cstring>

namespace rp {

namespace {

bool isNameChar(char c) {
    return c != ' ' && c != '\t' && c != '\r' && c != '\n' && c != '/' && c != '>' && c != '=';
}

Error unterminated(const QString& what, qsizetype at) {
    return Error(
        QStringLiteral("%1 is damaged: its XML ends inside a tag (byte %2).").arg(what).arg(at));
}

// Where the attribute's value starts (after the opening quote) and its quote; -1 when missing.
qsizetype attributeValue(QByteArrayView tag, QByteArrayView name, char& quote,
                         qsizetype* nameAt = nullptr) {
    qsizetype at = 1;
    while (at < tag.size() && isNameChar(tag[at]))
        ++at; // the element's name
    while (at < tag.size()) {
        while (at < tag.size() && !isNameChar(tag[at]))
            ++at;
        const qsizetype nameStart = at;
        while (at < tag.size() && isNameChar(tag[at]))
            ++at;
        const QByteArrayView found = tag.sliced(nameStart, at - nameStart);
        while (at < tag.size() && (tag[at] == ' ' || tag[at] == '=' || tag[at] == '\t' ||
                                   tag[at] == '\r' || tag[at] == '\n'))
            ++at;
        if (at >= tag.size() || (tag[at] != '"' && tag[at] != '\''))
            return -1;
        quote = tag[at];
        const qsizetype valueStart = at + 1;
        const qsizetype close = tag.indexOf(quote, valueStart);
        if (close < 0)
            return -1;
        if (found == name) {
            if (nameAt)
                *nameAt = nameStart;
            return valueStart;
        }
        at = close + 1;
    }
    return -1;
}

} // namespace

XmlTag XlsxXmlScan::next(const QString& what) {
    for (;;) {
        const qsizetype open = m_xml.indexOf('<', m_at);
        if (open < 0) {
            m_at = m_xml.size();
            return {};
        }
        const QByteArrayView rest = m_xml.sliced(open);
        QByteArrayView closer;
        if (rest.startsWith("<!--"))
            closer = "-->";
        else if (rest.startsWith("<![CDATA["))
            closer = "]]>";
        else if (rest.startsWith("<?"))
            closer = "?>";
        if (!closer.isEmpty()) {
            const qsizetype end = m_xml.indexOf(closer, open + 2);
            if (end < 0)
                throw unterminated(what, open);
            m_at = end + closer.size();
            continue;
        }
        // A '>' may stand in an attribute's value: step over quoted text.
        qsizetype at = open + 1;
        char quote = 0;
        for (; at < m_xml.size(); ++at) {
            const char c = m_xml[at];
            if (quote) {
                if (c == quote)
                    quote = 0;
            } else if (c == '"' || c == '\'') {
                quote = c;
            } else if (c == '>') {
                break;
            }
        }
        if (at >= m_xml.size())
            throw unterminated(what, open);
        m_at = at + 1;
        if (rest.startsWith("<!"))
            continue; // the document type
        XmlTag tag;
        tag.start = open;
        tag.end = m_at;
        tag.closing = m_xml[open + 1] == '/';
        tag.empty = m_xml[at - 1] == '/';
        qsizetype nameStart = open + (tag.closing ? 2 : 1);
        qsizetype nameEnd = nameStart;
        while (nameEnd < at && isNameChar(m_xml[nameEnd]))
            ++nameEnd;
        QByteArrayView name = m_xml.sliced(nameStart, nameEnd - nameStart);
        const qsizetype colon = name.indexOf(':');
        tag.name = colon < 0 ? name : name.sliced(colon + 1);
        return tag;
    }
}

QByteArrayView xmlAttribute(QByteArrayView tag, QByteArrayView name) {
    char quote = 0;
    const qsizetype start = attributeValue(tag, name, quote);
    if (start < 0)
        return {};
    return tag.sliced(start, tag.indexOf(quote, start) - start);
}

QByteArray withXmlAttribute(QByteArrayView tag, QByteArrayView name, const QByteArray& value) {
    char quote = 0;
    qsizetype nameAt = 0;
    const qsizetype start = attributeValue(tag, name, quote, &nameAt);
    QByteArray out = tag.toByteArray();
    if (start >= 0) {
        const qsizetype end = tag.indexOf(quote, start);
        if (!value.isNull())
            return out.replace(start, end - start, value);
        return out.remove(nameAt - 1, end + 1 - (nameAt - 1)); // with the space before it
    }
    if (value.isNull())
        return out;
    const qsizetype at = out.endsWith("/>") ? out.size() - 2 : out.size() - 1;
    return out.insert(at, ' ' + name.toByteArray() + "=\"" + value + '"');
}

QString xmlText(QByteArrayView raw) {
    if (!raw.contains('&'))
        return QString::fromUtf8(raw);
    QByteArray out;
    out.reserve(raw.size());
    for (qsizetype at = 0; at < raw.size(); ++at) {
        const qsizetype semi = raw[at] == '&' ? raw.indexOf(';', at) : -1;
        if (semi < 0) {
            out.append(raw[at]);
            continue;
        }
        const QByteArrayView entity = raw.sliced(at + 1, semi - at - 1);
        if (entity == "lt")
            out.append('<');
        else if (entity == "gt")
            out.append('>');
        else if (entity == "amp")
            out.append('&');
        else if (entity == "quot")
            out.append('"');
        else if (entity == "apos")
            out.append('\'');
        else if (entity.startsWith('#')) {
            bool ok = false;
            const uint code = entity.startsWith("#x") ? entity.sliced(2).toUInt(&ok, 16)
                                                      : entity.sliced(1).toUInt(&ok, 10);
            if (ok) {
                const char32_t c = char32_t(code);
                out.append(QString::fromUcs4(&c, 1).toUtf8());
            }
        } else {
            out.append(raw.sliced(at, semi - at + 1));
        }
        at = semi;
    }
    return QString::fromUtf8(out);
}

QString decodeCellEscapes(QString text) {
    qsizetype at = text.indexOf(QLatin1String("_x"));
    while (at >= 0 && at + 7 <= text.size()) {
        bool ok = false;
        const ushort code = text.mid(at + 2, 4).toUShort(&ok, 16);
        if (ok && text.at(at + 6) == u'_') {
            text.replace(at, 7, QChar(code));
            at = text.indexOf(QLatin1String("_x"), at + 1);
        } else {
            at = text.indexOf(QLatin1String("_x"), at + 2);
        }
    }
    return text;
}

QByteArray xmlEscapedText(const QString& text) {
    QString out;
    out.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (c == u'&')
            out += QLatin1String("&amp;");
        else if (c == u'<')
            out += QLatin1String("&lt;");
        else if (c == u'>')
            out += QLatin1String("&gt;");
        else if ((c.unicode() < 0x20 && c != u'\t' && c != u'\n') || c == u'\r' ||
                 c.unicode() == 0xFFFE || c.unicode() == 0xFFFF)
            out += QStringLiteral("_x%1_").arg(c.unicode(), 4, 16, QLatin1Char('0')).toUpper();
        else if (c == u'_' && text.mid(i, 7).size() == 7 && text.at(i + 1) == u'x' &&
                 decodeCellEscapes(text.mid(i, 7)).size() == 1)
            out += QLatin1String("_x005F_"); // a literal _xHHHH_ must not read as an escape
        else
            out += c;
    }
    return out.toUtf8();
}

bool parseCellName(QByteArrayView name, int& column, int& row) {
    qsizetype i = 0;
    column = 0;
    while (i < name.size() &&
           ((name[i] >= 'A' && name[i] <= 'Z') || (name[i] >= 'a' && name[i] <= 'z'))) {
        if (i >= 3)
            return false;
        column = column * 26 + ((name[i] & ~0x20) - 'A' + 1);
        ++i;
    }
    if (i == 0 || i >= name.size() || name[i] < '0' || name[i] > '9')
        return false;
    bool ok = false;
    row = name.sliced(i).toInt(&ok);
    column -= 1;
    return ok && row >= 1;
}

QByteArray cellName(int column, int row) {
    QByteArray letters;
    for (int c = column + 1; c > 0; c = (c - 1) / 26)
        letters.prepend(char('A' + (c - 1) % 26));
    return letters + QByteArray::number(row);
}

bool holdsFormula(QByteArrayView xml) {
    // 'f' is rare in a sheet of numbers: found by memchr, far faster than a search for "<f".
    const char* const begin = xml.data();
    const char* const end = begin + xml.size();
    for (const char* at = begin + 1; at < end;) {
        const auto* f = static_cast<const char*>(std::memchr(at, 'f', size_t(end - at)));
        if (!f)
            return false;
        const char after = f + 1 < end ? f[1] : '\0';
        if (f[-1] == '<' && (after == '>' || after == ' ' || after == '/'))
            return true;
        at = f + 1;
    }
    return false;
}

} // namespace rp
