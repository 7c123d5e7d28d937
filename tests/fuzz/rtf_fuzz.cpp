// Fuzz target for the journal's RTF reader with a load-save-load oracle: what the reader makes
// of an entry is written as the journal saves it and read again, and the second load must equal
// the first (same text, and the same entry when written). A journal entry that changes on
// every save loses its writer's text a little at a time. A crash, sanitizer report, hang or a
// second load that differs is a finding; an input the reader refuses is no finding.
#include "FuzzSupport.h"
#include "app/journal/NBRTFReader.h"
#include "app/journal/NBRTFWriter.h"

#include <QGuiApplication>
#include <QTextDocument>

#include <cstddef>
#include <cstdint>

namespace {

void ensureGuiApplication()
{
    static int argc = 1;
    static char name[] = "nimbrel-fuzz";
    static char *argv[] = {name, nullptr};
    qputenv("QT_QPA_PLATFORM", "offscreen");
    static QGuiApplication *application = QCoreApplication::instance() ? nullptr : new QGuiApplication(argc, argv);
    (void)application;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    ensureGuiApplication();
    NBRTFReadResult first = NBRTFReader::read(QByteArray(reinterpret_cast<const char *>(data), qsizetype(size)));
    if (!std::holds_alternative<std::unique_ptr<QTextDocument>>(first))
        return 0;
    const QTextDocument &loaded = *std::get<std::unique_ptr<QTextDocument>>(first);
    const QByteArray saved = NBRTFWriter::write(loaded);
    NBRTFReadResult second = NBRTFReader::read(saved);
    if (!std::holds_alternative<std::unique_ptr<QTextDocument>>(second)) {
        std::fprintf(stderr, "refused: %s\n", qPrintable(std::get<NBRTFReadError>(second).detail));
        FuzzSupport::require(false, "the reader refuses what the writer saved");
    }
    const QTextDocument &reloaded = *std::get<std::unique_ptr<QTextDocument>>(second);
    FuzzSupport::require(loaded.toPlainText() == reloaded.toPlainText(), "the second load has other text");
    FuzzSupport::require(NBRTFWriter::write(reloaded) == saved, "the second load has other formatting");
    return 0;
}
