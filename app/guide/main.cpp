// karvola-guide: turns the user guide's Markdown into the PDF that Help > Read
// the User Guide opens. Run by the build, so it needs no display: without a
// platform of its own it draws offscreen.
//   karvola-guide GUIDE.md OUTPUT.pdf MARKS.ps
// MARKS.ps holds the pdfmarks that Ghostscript adds to the PDF afterwards: the
// outline of chapters and sections and the links of the contents, which Qt's
// PDF writer cannot write.
#include <QtCore/QCoreApplication>
#include <QtCore/QDir>
#include <QtCore/QFile>
#include <QtCore/QFileInfo>
#include <QtCore/QHash>
#include <QtCore/QRegularExpression>
#include <QtCore/QUrl>
#include <QtGui/QAbstractTextDocumentLayout>
#include <QtGui/QColor>
#include <QtGui/QFont>
#include <QtGui/QGuiApplication>
#include <QtGui/QImage>
#include <QtGui/QPageLayout>
#include <QtGui/QPageSize>
#include <QtGui/QPainter>
#include <QtGui/QPdfWriter>
#include <QtGui/QTextBlock>
#include <QtGui/QTextCharFormat>
#include <QtGui/QTextCursor>
#include <QtGui/QTextDocument>
#include <QtGui/QTextFragment>
#include <QtGui/QTextImageFormat>
#include <QtGui/QTextTable>
#include <cmath>
#include <cstdio>
#include <vector>

namespace {

constexpr double kMarginMillimetres = 18.0;
constexpr double kTranscriptPointSize = 7.0;
// The band at the foot of each page that holds its number, in points.
constexpr double kFooterPoints = 20.0;

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

// The heading of chapter 1: the title page and its contents come before it.
QTextBlock FirstChapter(const QTextDocument& document) {
    for (QTextBlock block = document.begin().next(); block.isValid(); block = block.next()) {
        if (block.blockFormat().headingLevel() == 1) return block;
    }
    return {};
}

// The alt text of every picture of the Markdown, by the picture's file name: the
// caption printed under it.
QHash<QString, QString> PictureCaptions(const QString& markdown) {
    QHash<QString, QString> captions;
    static const QRegularExpression picture(QStringLiteral(R"(!\[([^\]]*)\]\(([^)\s]+)\))"));
    for (auto match = picture.globalMatch(markdown); match.hasNext();) {
        const auto found = match.next();
        captions.insert(found.captured(2), found.captured(1));
    }
    return captions;
}

// A caption paragraph under each picture, in italics and centred.
void AddCaptions(QTextDocument& document, const QHash<QString, QString>& captions) {
    for (QTextBlock block = document.begin(); block.isValid(); block = block.next()) {
        QString caption;
        for (auto fragment = block.begin(); !fragment.atEnd(); ++fragment) {
            const QTextCharFormat format = fragment.fragment().charFormat();
            if (format.isImageFormat()) caption = captions.value(format.toImageFormat().name());
        }
        if (caption.isEmpty()) continue;
        QTextCursor cursor(block);
        cursor.movePosition(QTextCursor::EndOfBlock);
        QTextBlockFormat centred;
        centred.setAlignment(Qt::AlignHCenter);
        centred.setBottomMargin(8);
        QTextCharFormat italic;
        italic.setFontItalic(true);
        italic.setFontPointSize(9);
        cursor.insertBlock(centred, italic);
        cursor.insertText(caption);
        block = cursor.block();
    }
}

// karvola-cli echoes every line it runs but the ':' commands; in a transcript
// those are set in bold without the echo's ">", as typed, not printed.
void MarkTypedCommands(QTextDocument& document) {
    for (QTextBlock block = document.begin(); block.isValid(); block = block.next()) {
        if (!block.blockFormat().hasProperty(QTextFormat::BlockCodeFence) || !block.text().startsWith(u">:")) continue;
        QTextCursor cursor(block);
        cursor.movePosition(QTextCursor::NextCharacter, QTextCursor::KeepAnchor);
        cursor.removeSelectedText();
        cursor.movePosition(QTextCursor::EndOfBlock, QTextCursor::KeepAnchor);
        QTextCharFormat bold;
        bold.setFontWeight(QFont::Bold);
        cursor.mergeCharFormat(bold);
    }
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
            // The contents after the title; chapters flow on (KeepTogether keeps a
            // heading with what follows), so that none leaves a near-empty page.
            const bool chapter = block == FirstChapter(document);
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

// Where a block or frame lies once laid out: its first and last page (from 0).
struct Span {
    int first = 0;
    int last = 0;
    qreal height = 0;
};

Span SpanOf(const QRectF& rect, qreal pageHeight) {
    return {static_cast<int>(std::floor(rect.top() / pageHeight)),
            static_cast<int>(std::floor((rect.bottom() - 0.5) / pageHeight)), rect.height()};
}

void BreakBefore(const QTextBlock& block) {
    QTextCursor cursor(block);
    QTextBlockFormat format = block.blockFormat();
    format.setPageBreakPolicy(QTextFormat::PageBreak_AlwaysBefore);
    cursor.setBlockFormat(format);
}

// No transcript, table or picture with its caption is cut at a page's edge when it
// fits on one page, and no heading is left at the foot of a page without what
// follows it: each goes to the next page whole. A group taller than a page keeps
// its place.
void KeepTogether(QTextDocument& document, qreal pageHeight) {
    QAbstractTextDocumentLayout* layout = document.documentLayout();
    QTextBlock block = FirstChapter(document);
    while (block.isValid()) {
        QTextBlock last = block;
        QRectF rect = layout->blockBoundingRect(block);
        QTextTable* table = QTextCursor(block).currentTable();
        if (table != nullptr) {
            rect = layout->frameBoundingRect(table);
            last = table->lastCursorPosition().block();
        } else if (block.blockFormat().hasProperty(QTextFormat::BlockCodeFence)) {
            while (last.next().isValid() && last.next().blockFormat().hasProperty(QTextFormat::BlockCodeFence) &&
                   !QTextCursor(last.next()).currentTable()) {
                last = last.next();
            }
            rect = rect.united(layout->blockBoundingRect(last));
        } else if (block.blockFormat().headingLevel() > 0 || block.text().contains(QChar::ObjectReplacementCharacter)) {
            // A heading with the first lines after it; a picture with its caption.
            if (last.next().isValid()) {
                last = last.next();
                rect = rect.united(layout->blockBoundingRect(last));
            }
        }
        const Span span = SpanOf(rect, pageHeight);
        if (span.first != span.last && span.height < pageHeight * 0.95) {
            if (table != nullptr) {
                QTextTableFormat format = table->format();
                format.setPageBreakPolicy(QTextFormat::PageBreak_AlwaysBefore);
                table->setFormat(format);
            } else {
                BreakBefore(block);
            }
        }
        block = (block == last) ? block.next() : last.next();
    }
}

// "N / M" under each page's text.
void DrawPageNumber(QPainter& painter, const QRectF& footer, int page, int pages) {
    QFont font(QStringLiteral("Liberation Sans"));
    font.setPointSizeF(9);
    painter.setFont(font);
    painter.setPen(QColor(0x40, 0x40, 0x40));
    painter.drawText(footer, Qt::AlignHCenter | Qt::AlignBottom, QStringLiteral("%1 / %2").arg(page).arg(pages));
}

// A text as a PDF string: UTF-16BE in hex, with its byte order mark.
QByteArray PdfText(const QString& text) {
    QByteArray hex = "<FEFF";
    for (const QChar c : text) hex += QByteArray::number(c.unicode(), 16).rightJustified(4, '0').toUpper();
    return hex + ">";
}

// Where a heading lies in the PDF: its page (from 1) and its top in PDF units
// (points from the bottom of the page).
struct Place {
    int page = 1;
    qreal top = 0;
};

// The pdfmarks: the outline of the chapters (level-1 headings) with their
// sections, and a link from each line of the contents list to its chapter.
QByteArray Marks(const QTextDocument& document, qreal pageHeight, const QSizeF& paper, const QMarginsF& margins) {
    QAbstractTextDocumentLayout* layout = document.documentLayout();
    const auto place = [&](const QRectF& rect) {
        const int page = static_cast<int>(std::floor(rect.top() / pageHeight));
        return Place{page + 1, paper.height() - margins.top() - (rect.top() - page * pageHeight)};
    };
    struct Heading {
        int level;
        QString title;
        Place place;
    };
    std::vector<Heading> headings;
    const QTextBlock firstChapter = FirstChapter(document);
    bool started = false;
    for (QTextBlock block = document.begin(); block.isValid(); block = block.next()) {
        started = started || block == firstChapter;
        const int level = block.blockFormat().headingLevel();
        if (started && (level == 1 || level == 2)) {
            headings.push_back({level, block.text(), place(layout->blockBoundingRect(block))});
        }
    }
    QByteArray marks = "[/Title " + PdfText(QStringLiteral("Karvola User Guide")) + " /DOCINFO pdfmark\n";
    marks += "[/PageMode /UseOutlines /DOCVIEW pdfmark\n";
    for (std::size_t i = 0; i < headings.size(); ++i) {
        int children = 0;
        if (headings[i].level == 1) {
            for (std::size_t j = i + 1; j < headings.size() && headings[j].level == 2; ++j) ++children;
        }
        marks += "[/Title " + PdfText(headings[i].title) + " /Page " + QByteArray::number(headings[i].place.page) +
                 " /View [/XYZ null " + QByteArray::number(headings[i].place.top, 'f', 1) + " null]";
        if (children > 0) marks += " /Count -" + QByteArray::number(children);
        marks += " /OUT pdfmark\n";
    }
    // The contents: the numbered list before chapter 1, item N linked to chapter N.
    int item = 0;
    for (QTextBlock block = document.begin(); block.isValid() && block != firstChapter; block = block.next()) {
        if (block.textList() == nullptr) continue;
        const QString number = QString::number(++item) + QStringLiteral(". ");
        for (const Heading& heading : headings) {
            if (heading.level != 1 || !heading.title.startsWith(number)) continue;
            const QRectF rect = layout->blockBoundingRect(block);
            const Place from = place(rect);
            const qreal left = margins.left() + rect.left();
            marks += "[/SrcPg " + QByteArray::number(from.page) + " /Rect [" + QByteArray::number(left, 'f', 1) + " " +
                     QByteArray::number(from.top - rect.height(), 'f', 1) + " " +
                     QByteArray::number(left + rect.width(), 'f', 1) + " " + QByteArray::number(from.top, 'f', 1) +
                     "] /Border [0 0 0] /Page " + QByteArray::number(heading.place.page) + " /View [/XYZ null " +
                     QByteArray::number(heading.place.top, 'f', 1) + " null] /Subtype /Link /ANN pdfmark\n";
        }
    }
    return marks;
}

}  // namespace

int main(int argc, char* argv[]) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication application(argc, argv);
    const QStringList arguments = QCoreApplication::arguments();
    if (arguments.size() != 4) {
        std::fprintf(stderr, "usage: karvola-guide GUIDE.md OUTPUT.pdf MARKS.ps\n");
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
    MarkTypedCommands(document);

    QPdfWriter writer(arguments.at(2));
    writer.setTitle(QStringLiteral("Karvola User Guide"));
    writer.setCreator(QStringLiteral("karvola-guide"));
    writer.setPageLayout(
        QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait,
                    QMarginsF(kMarginMillimetres, kMarginMillimetres, kMarginMillimetres, kMarginMillimetres),
                    QPageLayout::Millimeter));
    // The document lays out in points on the writer's text area less the page
    // number's band.
    const QSizeF textArea = writer.pageLayout().paintRect(QPageLayout::Point).size();
    const QSizeF page(textArea.width(), textArea.height() - kFooterPoints);
    document.setPageSize(page);
    // After the Markdown: setting it clears the document's resources.
    if (!AddPictures(document, QFileInfo(input).dir(), page.width() - 2 * document.documentMargin())) return 1;
    AddCaptions(document, PictureCaptions(markdown));
    KeepTogether(document, page.height());

    QPainter painter(&writer);
    if (!painter.isActive()) {
        std::fprintf(stderr, "karvola-guide: cannot write %s\n", qPrintable(arguments.at(2)));
        return 1;
    }
    // The writer's device units per point.
    const qreal scale = writer.resolution() / 72.0;
    const int pages = document.pageCount();
    for (int number = 0; number < pages; ++number) {
        if (number > 0) writer.newPage();
        painter.save();
        painter.scale(scale, scale);
        painter.translate(0, -number * page.height());
        document.drawContents(&painter, QRectF(0, number * page.height(), page.width(), page.height()));
        painter.restore();
        // In the writer's own units: its fonts are sized for its resolution already.
        DrawPageNumber(painter, QRectF(0, 0, textArea.width() * scale, textArea.height() * scale), number + 1, pages);
    }
    painter.end();

    QFile marks(arguments.at(3));
    const QPageLayout pageLayout = writer.pageLayout();
    if (!marks.open(QIODevice::WriteOnly | QIODevice::Truncate) ||
        marks.write(Marks(document, page.height(), pageLayout.fullRect(QPageLayout::Point).size(),
                          pageLayout.margins(QPageLayout::Point))) < 0 ||
        !marks.flush()) {
        std::fprintf(stderr, "karvola-guide: cannot write %s\n", qPrintable(arguments.at(3)));
        return 1;
    }
    if (!QFileInfo(arguments.at(2)).exists()) {
        std::fprintf(stderr, "karvola-guide: cannot write %s\n", qPrintable(arguments.at(2)));
        return 1;
    }
    return 0;
}
