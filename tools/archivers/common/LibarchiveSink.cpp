#include "tools/archivers/common/LibarchiveSink.h"

#include <archive.h>
#include <string>

namespace archivers
{

LibarchiveSink::LibarchiveSink(Container container, Compression compression, int level)
    : m_writer(archive_write_new())
{
    archive *w = m_writer;
    const std::string levelText = std::to_string(level);
    if (container == Container::Zip) {
        archive_write_set_format_zip(w);
        if (level >= 0)
            archive_write_set_format_option(w, "zip", "compression-level", levelText.c_str());
        return;
    }
    archive_write_set_format_pax_restricted(w);
    if (compression == Compression::Gzip) {
        archive_write_add_filter_gzip(w);
        if (level > 0)
            archive_write_set_filter_option(w, "gzip", "compression-level", levelText.c_str());
    } else if (compression == Compression::Bzip2) {
        archive_write_add_filter_bzip2(w);
        if (level > 0)
            archive_write_set_filter_option(w, "bzip2", "compression-level", levelText.c_str());
    }
}

LibarchiveSink::~LibarchiveSink()
{
    archive_write_free(m_writer);
}

bool LibarchiveSink::open(const std::string &path)
{
    return archive_write_open_filename(m_writer, path.c_str()) == ARCHIVE_OK;
}

bool LibarchiveSink::header(archive_entry *entry)
{
    return archive_write_header(m_writer, entry) == ARCHIVE_OK;
}

bool LibarchiveSink::data(const void *bytes, size_t size)
{
    return archive_write_data(m_writer, bytes, size) >= 0;
}

bool LibarchiveSink::close()
{
    return archive_write_close(m_writer) == ARCHIVE_OK;
}

std::string LibarchiveSink::error() const
{
    const char *why = archive_error_string(m_writer);
    return why != nullptr ? why : "";
}

} // namespace archivers
