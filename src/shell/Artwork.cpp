#include "shell/Artwork.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>

namespace artwork {

namespace {

const QColor kCover(0x1f, 0x4e, 0x8c);
const QColor kCoverLight(0x3d, 0x7b, 0xc9);
const QColor kPaper(0xfb, 0xf8, 0xee);
const QColor kRing(0xb8, 0xbd, 0xc4);

// An address book seen from the front: cover, pages, spiral rings on the left edge and
// the alphabet tabs on the right edge.
void drawBook(QPainter& p, const QRectF& r)
{
    p.save();
    p.setRenderHint(QPainter::Antialiasing);
    const qreal w = r.width();
    const qreal h = r.height();
    const qreal tabW = w * 0.12;
    const QRectF cover(r.left(), r.top(), w - tabW, h);

    // Shadow.
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0, 0, 0, 50));
    p.drawRoundedRect(cover.translated(w * 0.03, h * 0.03), w * 0.05, w * 0.05);

    // Alphabet tabs behind the cover's right edge.
    static const char* const letters[] = {"A", "F", "L", "P", "T"};
    const int tabs = 5;
    const qreal tabH = (h * 0.84) / tabs;
    QFont f = p.font();
    f.setBold(true);
    f.setPixelSize(qMax(6, int(tabH * 0.55)));
    p.setFont(f);
    for (int i = 0; i < tabs; ++i) {
        const QRectF tab(cover.right() - tabW * 0.3, r.top() + h * 0.08 + i * tabH, tabW * 1.25,
                         tabH * 0.86);
        p.setPen(QPen(QColor(0x80, 0x60, 0x20), qMax(0.6, w * 0.006)));
        p.setBrush(QColor::fromHsv((30 + i * 60) % 360, 110, 245));
        p.drawRoundedRect(tab, tabW * 0.25, tabW * 0.25);
        if (tabH > 9) {
            p.setPen(QColor(0x40, 0x30, 0x10));
            p.drawText(tab.adjusted(tabW * 0.3, 0, 0, 0), Qt::AlignCenter,
                       QString::fromLatin1(letters[i]));
        }
    }

    // Pages peeking out, then the cover.
    p.setPen(QPen(QColor(0xc8, 0xc0, 0xa8), qMax(0.6, w * 0.005)));
    p.setBrush(kPaper);
    p.drawRoundedRect(cover.adjusted(w * 0.02, h * 0.02, w * 0.035, -h * 0.01), w * 0.03, w * 0.03);
    QLinearGradient g(cover.topLeft(), cover.bottomRight());
    g.setColorAt(0, kCoverLight);
    g.setColorAt(1, kCover);
    p.setPen(QPen(kCover.darker(140), qMax(0.8, w * 0.01)));
    p.setBrush(g);
    p.drawRoundedRect(cover, w * 0.05, w * 0.05);

    // Label plate with a person and lines of "writing".
    const QRectF plate(cover.left() + cover.width() * 0.25, cover.top() + h * 0.14,
                       cover.width() * 0.62, h * 0.46);
    p.setPen(QPen(kCover.darker(160), qMax(0.6, w * 0.006)));
    p.setBrush(kPaper);
    p.drawRoundedRect(plate, w * 0.03, w * 0.03);
    const QPointF head(plate.left() + plate.width() * 0.5, plate.top() + plate.height() * 0.3);
    const qreal hr = plate.height() * 0.15;
    p.setPen(Qt::NoPen);
    p.setBrush(kCover);
    p.drawEllipse(head, hr, hr);
    QPainterPath body;
    const QRectF shoulders(head.x() - hr * 2.0, head.y() + hr * 1.2, hr * 4.0, hr * 3.2);
    body.moveTo(shoulders.left(), shoulders.bottom() - hr * 1.2);
    body.arcTo(shoulders, 180, -180);
    body.closeSubpath();
    p.drawPath(body.intersected([&] {
        QPainterPath clip;
        clip.addRect(QRectF(shoulders.left(), shoulders.top(), shoulders.width(), hr * 1.9));
        return clip;
    }()));
    p.setPen(QPen(kCover.lighter(150), qMax(0.6, h * 0.012), Qt::SolidLine, Qt::RoundCap));
    for (int i = 0; i < 2; ++i) {
        const qreal y = plate.top() + plate.height() * (0.8 + i * 0.1);
        p.drawLine(QPointF(plate.left() + plate.width() * 0.15, y),
                   QPointF(plate.right() - plate.width() * (0.15 + i * 0.2), y));
    }

    // Spiral rings on the left edge.
    const int rings = 7;
    for (int i = 0; i < rings; ++i) {
        const qreal y = cover.top() + h * 0.08 + i * (h * 0.84) / (rings - 1);
        const QRectF ring(cover.left() - w * 0.05, y - h * 0.025, w * 0.14, h * 0.05);
        p.setPen(QPen(kRing.darker(130), qMax(0.8, w * 0.012)));
        p.setBrush(kRing);
        p.drawRoundedRect(ring, h * 0.02, h * 0.02);
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(0x10, 0x20, 0x40));
        p.drawEllipse(QPointF(cover.left() + w * 0.06, y), w * 0.016, w * 0.016);
    }
    p.restore();
}

// An "@" in a round badge.
void drawAt(QPainter& p, const QPointF& c, qreal radius)
{
    p.save();
    p.setRenderHint(QPainter::Antialiasing);
    QRadialGradient g(c - QPointF(radius * 0.3, radius * 0.3), radius * 1.2);
    g.setColorAt(0, QColor(0xff, 0xe0, 0x80));
    g.setColorAt(1, QColor(0xe8, 0x9a, 0x10));
    p.setPen(QPen(QColor(0xa0, 0x60, 0x00), qMax(1.0, radius * 0.08)));
    p.setBrush(g);
    p.drawEllipse(c, radius, radius);
    QFont f = p.font();
    f.setBold(true);
    f.setPixelSize(qMax(6, int(radius * 1.35)));
    p.setFont(f);
    p.setPen(QColor(0x60, 0x30, 0x00));
    p.drawText(QRectF(c.x() - radius, c.y() - radius * 1.08, radius * 2, radius * 2),
               Qt::AlignCenter, QStringLiteral("@"));
    p.restore();
}

// A telephone handset.
void drawHandset(QPainter& p, const QPointF& c, qreal size)
{
    p.save();
    p.setRenderHint(QPainter::Antialiasing);
    p.translate(c);
    p.rotate(-35);
    QPainterPath path;
    const qreal s = size;
    path.addRoundedRect(QRectF(-s * 0.5, -s * 0.1, s, s * 0.2), s * 0.1, s * 0.1);
    path.addRoundedRect(QRectF(-s * 0.62, -s * 0.05, s * 0.3, s * 0.34), s * 0.08, s * 0.08);
    path.addRoundedRect(QRectF(s * 0.32, -s * 0.05, s * 0.3, s * 0.34), s * 0.08, s * 0.08);
    p.setPen(QPen(QColor(0x50, 0x08, 0x08), qMax(1.0, s * 0.04)));
    p.setBrush(QColor(0xc8, 0x20, 0x20));
    p.drawPath(path.simplified());
    p.restore();
}

QPixmap canvas(QSize size)
{
    QPixmap pix(size.expandedTo(QSize(1, 1)));
    pix.fill(Qt::transparent);
    return pix;
}

} // namespace

QPixmap mainPicture(QSize size)
{
    QPixmap pix = canvas(size);
    QPainter p(&pix);
    const QRectF all(QPointF(0, 0), QSizeF(pix.size()));
    QLinearGradient bg(all.topLeft(), all.bottomRight());
    bg.setColorAt(0, QColor(0xff, 0xfb, 0xe6));
    bg.setColorAt(1, QColor(0xe6, 0xee, 0xfa));
    p.fillRect(all, bg);
    // Faint ruled lines, like an index card.
    p.setPen(QPen(QColor(0xb0, 0xc4, 0xe0, 110), 1));
    for (qreal y = all.height() * 0.3; y < all.height(); y += 16)
        p.drawLine(QPointF(all.width() * 0.44, y), QPointF(all.width() - 4, y));
    const qreal bw = all.width() * 0.38;
    const QRectF book(all.width() * 0.05, all.height() * 0.3, bw,
                      qMin(bw * 1.3, all.height() * 0.66));
    drawBook(p, book);
    drawAt(p, QPointF(book.right() - bw * 0.05, book.bottom() - bw * 0.12), bw * 0.16);
    return pix;
}

QPixmap logo(QSize size)
{
    QPixmap pix = canvas(size);
    QPainter p(&pix);
    const QRectF all(QPointF(0, 0), QSizeF(pix.size()));
    QRadialGradient bg(all.center(), qMax(all.width(), all.height()) * 0.7);
    bg.setColorAt(0, QColor(0xff, 0xff, 0xff));
    bg.setColorAt(1, QColor(0xd6, 0xe4, 0xf5));
    p.fillRect(all, bg);
    const qreal side = qMin(all.width(), all.height());
    const qreal bw = side * 0.58;
    const QRectF book(all.center().x() - bw * 0.55, all.center().y() - bw * 0.62, bw, bw * 1.24);
    drawBook(p, book);
    drawAt(p, QPointF(book.right() + side * 0.02, book.top() + side * 0.08), side * 0.11);
    drawHandset(p, QPointF(book.left() + side * 0.02, book.bottom() - side * 0.02), side * 0.3);
    return pix;
}

QIcon appIcon()
{
    QIcon icon;
    for (int s : {16, 24, 32, 48, 64, 128}) {
        QPixmap pix = canvas(QSize(s, s));
        QPainter p(&pix);
        drawBook(p, QRectF(s * 0.12, s * 0.04, s * 0.8, s * 0.92));
        p.end();
        icon.addPixmap(pix);
    }
    return icon;
}

QIcon exitGlyph()
{
    QIcon icon;
    for (int s : {16, 24, 32}) {
        QPixmap pix = canvas(QSize(s, s));
        QPainter p(&pix);
        p.setRenderHint(QPainter::Antialiasing);
        // Door frame and open door.
        p.setPen(QPen(QColor(0x50, 0x30, 0x10), qMax(1.0, s / 16.0)));
        p.setBrush(QColor(0xf0, 0xe0, 0xc0));
        p.drawRect(QRectF(s * 0.45, s * 0.1, s * 0.45, s * 0.8));
        QPolygonF door{
            {s * 0.45, s * 0.1}, {s * 0.7, s * 0.2}, {s * 0.7, s * 0.98}, {s * 0.45, s * 0.9}};
        p.setBrush(QColor(0xa0, 0x60, 0x20));
        p.drawPolygon(door);
        // Arrow leaving.
        p.setPen(QPen(QColor(0x10, 0x80, 0x20), qMax(1.5, s / 8.0), Qt::SolidLine, Qt::RoundCap,
                      Qt::RoundJoin));
        p.drawLine(QPointF(s * 0.42, s * 0.5), QPointF(s * 0.08, s * 0.5));
        p.drawLine(QPointF(s * 0.2, s * 0.36), QPointF(s * 0.08, s * 0.5));
        p.drawLine(QPointF(s * 0.2, s * 0.64), QPointF(s * 0.08, s * 0.5));
        p.end();
        icon.addPixmap(pix);
    }
    return icon;
}

QIcon mailGlyph()
{
    QIcon icon;
    for (int s : {16, 24, 32}) {
        QPixmap pix = canvas(QSize(s, s));
        QPainter p(&pix);
        p.setRenderHint(QPainter::Antialiasing);
        const QRectF env(s * 0.06, s * 0.22, s * 0.88, s * 0.58);
        p.setPen(QPen(QColor(0x30, 0x40, 0x60), qMax(1.0, s / 16.0)));
        p.setBrush(QColor(0xff, 0xfa, 0xe8));
        p.drawRect(env);
        p.drawPolyline(QPolygonF{env.topLeft(),
                                 QPointF(env.center().x(), env.top() + env.height() * 0.6),
                                 env.topRight()});
        p.end();
        icon.addPixmap(pix);
    }
    return icon;
}

} // namespace artwork
