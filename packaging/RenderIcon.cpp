// Build-time tool: renders the program's SVG icon into the PNG sizes of the hicolor icon theme,
// with the same SVG engine the program itself draws it with.
// Usage: RenderIcon <icon.svg> <output folder> <size>...  writes <output folder>/<size>.png

#include <QDir>
#include <QImage>
#include <QPainter>
#include <QSvgRenderer>
#include <QTextStream>

namespace {

bool renderOne(QSvgRenderer& renderer, int size, const QString& path)
{
    QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    renderer.render(&painter);
    painter.end();
    return image.save(path, "PNG");
}

} // namespace

int main(int argc, char* argv[])
{
    QTextStream err(stderr);
    if (argc < 4) {
        err << "usage: RenderIcon <icon.svg> <output folder> <size>...\n";
        return 2;
    }
    QSvgRenderer renderer(QString::fromLocal8Bit(argv[1]));
    if (!renderer.isValid()) {
        err << "cannot read the icon " << argv[1] << "\n";
        return 1;
    }
    const QDir out(QString::fromLocal8Bit(argv[2]));
    if (!out.mkpath(QStringLiteral("."))) {
        err << "cannot create " << argv[2] << "\n";
        return 1;
    }
    for (int i = 3; i < argc; ++i) {
        bool ok = false;
        const int size = QString::fromLocal8Bit(argv[i]).toInt(&ok);
        const QString path = out.filePath(QStringLiteral("%1.png").arg(argv[i]));
        if (!ok || size <= 0 || !renderOne(renderer, size, path)) {
            err << "cannot write " << path << "\n";
            return 1;
        }
    }
    return 0;
}
