// The container library's headers come before any of Qt's: its GLib headers
// use names that Qt defines as macros.
#include <gsf/gsf-infile-msole.h>
#include <gsf/gsf-infile.h>
#include <gsf/gsf-input-stdio.h>
#include <gsf/gsf-input.h>
#include <gsf/gsf-utils.h>

#include "maintenance/WorkbookStream.h"

#include <QFile>

#include <memory>

namespace quollin {

namespace {

struct Unref {
    void operator()(gpointer object) const { g_object_unref(object); }
};
template <class T> using Owned = std::unique_ptr<T, Unref>;

} // namespace

std::optional<QByteArray> readWorkbookStream(const QString &path)
{
    static const bool ready = [] {
        gsf_init();
        return true;
    }();
    (void)ready;
    const QByteArray name = QFile::encodeName(path);
    Owned<GsfInput> file(gsf_input_stdio_new(name.constData(), nullptr));
    if (!file)
        return std::nullopt;
    Owned<GsfInfile> container(gsf_infile_msole_new(file.get(), nullptr));
    if (!container)
        return std::nullopt;
    Owned<GsfInput> stream(gsf_infile_child_by_name(container.get(), "Workbook"));
    if (!stream)
        stream.reset(gsf_infile_child_by_name(container.get(), "Book"));
    if (!stream)
        return std::nullopt;
    const gsf_off_t size = gsf_input_size(stream.get());
    // A workbook of goods is a few megabytes at most.
    if (size < 0 || size > 256 * 1024 * 1024)
        return std::nullopt;
    QByteArray bytes(qsizetype(size), Qt::Uninitialized);
    if (size > 0 && !gsf_input_read(stream.get(), size_t(size), reinterpret_cast<guint8 *>(bytes.data())))
        return std::nullopt;
    return bytes;
}

} // namespace quollin
