// karvola-guide: turns the user guide's Markdown into the PDF that Help > Read
// the User Guide opens. Run by the build, so it needs no display: without a
// platform of its own it draws offscreen.
//   karvola-guide GUIDE.md OUTPUT.pdf
#include <QtCore/QCoreApplication>
#include <QtCore/QDir>
#include <QtCore/QFile>
#include <QtCore/QFileInfo>
#include <QtCore/QUrl>
#include <QtGui/QColor>
#include <QtGui/QFont>
#include <QtGui/QGuiApplication>
#include <QtGui/QImage>
#include <QtGui/QPageLayout>
#include <QtGui/QPageSize>
#include <QtGui/QPdfWriter>
#include <QtGui/QTextBlock>
#include <QtGui/QTextCharFormat>
#include <QtGui/QTextCursor>
#include <QtGui/QTextDocument>
#include <QtGui/QTextFragment>
#include <QtGui/QTextImageFormat>
#include <QtGui/QTextTable>
#include <cstdio>

namespace {

constexpr double kMarginMillimetres = 18.0;
constexpr double kTranscriptPointSize = 7.0;

// Every picture the guide shows, read from the guide's folder and kept up to
// the text's width (scaled down beyond it; the width is in the document's own
// units). A picture that cannot be read fails the build instead of leaving a
// hole in the PDF.
bool AddPictures(QTextDocument& document, const QDir& folder, qreal textWidth) {
    bool allFound = true;
    for (QTextBlock block = document.begin(); block.isValid(); block = block.next()) {
        for (auto fragment = block.begin(); !fragment.atEnd(); ++fragment) {
            const QTextFragment piece = fragment.fragment();
            if (!piece.charFormat().isImageFormat()) continue;
            QTextImageFormat format = piece.charFormat().toImageFormat();
            const QImage image(folder.filePath(format.name()));
            if (image.isNull()) {
                std::fprintf(stderr, "karvola-guide: cannot read the picture %s\n",
                             qPrintable(folder.filePath(format.name())));
                allFound = false;
                continue;
            }
            document.addResource(QTextDocument::ImageResource, QUrl(format.name()), image);
            const qreal scale = qMin<qreal>(1.0, textWidth / image.width());
            format.setWidth(image.width() * scale);
            format.setHeight(image.height() * scale);
            QTextCursor cursor(&document);
            cursor.setPosition(piece.position());
            cursor.setPosition(piece.position() + piece.length(), QTextCursor::KeepAnchor);
            cursor.setCharFormat(format);
        }
    }
    return allFound;
}

// Terminal transcripts on a grey ground, set apart; tables with thin rules and
// room in their cells; headings with space above them.
void StyleBlocks(QTextDocument& document) {
    QTextCursor cursor(&document);
    for (QTextBlock block = document.begin(); block.isValid(); block = block.next()) {
        QTextBlockFormat format = block.blockFormat();
        if (format.hasProperty(QTextFormat::BlockCodeFence) || format.nonBreakableLines()) {
            format.setBackground(QColor(0xf0, 0xf0, 0xf0));
            format.setLeftMargin(6);
            format.setRightMargin(6);
            // Small enough for the terminal's widest reports (about 110 columns)
            // to fit the page, since transcript lines never wrap.
            cursor.setPosition(block.position());
            cursor.setPosition(block.position() + block.length() - 1, QTextCursor::KeepAnchor);
            QTextCharFormat small;
            small.setFontPointSize(kTranscriptPointSize);
            cursor.mergeCharFormat(small);
        } else if (format.headingLevel() > 0) {
            format.setTopMargin(format.headingLevel() == 1 ? 18 : 12);
            format.setBottomMargin(6);
            // Each chapter on a page of its own; the title page is the first.
            const bool chapter = format.headingLevel() == 1 && block != document.begin();
            format.setPageBreakPolicy(chapter ? QTextFormat::PageBreak_AlwaysBefore : QTextFormat::PageBreak_Auto);
        } else {
            continue;
        }
        cursor.setPosition(block.position());
        cursor.setBlockFormat(format);
    }
    for (QTextFrame::iterator it = document.rootFrame()->begin(); !it.atEnd(); ++it) {
        auto* table = qobject_cast<QTextTable*>(it.currentFrame());
        if (table == nullptr) continue;
        QTextTableFormat format = table->format();
        format.setBorder(1);
        format.setBorderBrush(QColor(0xa0, 0xa0, 0xa0));
        format.setBorderCollapse(true);
        format.setCellPadding(3);
        format.setCellSpacing(0);
        table->setFormat(format);
    }
}

}  // namespace

int main(int argc, char* argv[]) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication application(argc, argv);
    const QStringList arguments = QCoreApplication::arguments();
    if (arguments.size() != 3) {
        std::fprintf(stderr, "usage: karvola-guide GUIDE.md OUTPUT.pdf\n");
        return 2;
    }
    QFile input(arguments.at(1));
    if (!input.open(QIODevice::ReadOnly)) {
        std::fprintf(stderr, "karvola-guide: cannot read %s\n", qPrintable(arguments.at(1)));
        return 1;
    }
    const QString markdown = QString::fromUtf8(input.readAll());

    QTextDocument document;
    QFont font(QStringLiteral("Liberation Sans"), 10);
    document.setDefaultFont(font);
    document.setMarkdown(markdown, QTextDocument::MarkdownDialectGitHub);
    StyleBlocks(document);

    QPdfWriter writer(arguments.at(2));
    writer.setTitle(QStringLiteral("Karvola User Guide"));
    writer.setCreator(QStringLiteral("karvola-guide"));
    writer.setPageLayout(
        QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait,
                    QMarginsF(kMarginMillimetres, kMarginMillimetres, kMarginMillimetres, kMarginMillimetres),
                    QPageLayout::Millimeter));
    // The document lays out in points on a page of the writer's text area.
    const QSizeF page = writer.pageLayout().paintRect(QPageLayout::Point).size();
    document.setPageSize(page);
    // After the Markdown: setting it clears the document's resources.
    if (!AddPictures(document, QFileInfo(input).dir(), page.width() - 2 * document.documentMargin())) return 1;
    document.print(&writer);
    if (!QFileInfo(arguments.at(2)).exists()) {
        std::fprintf(stderr, "karvola-guide: cannot write %s\n", qPrintable(arguments.at(2)));
        return 1;
    }
    return 0;
}
