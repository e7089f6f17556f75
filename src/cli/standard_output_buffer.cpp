#include "cli/standard_output_buffer.h"

#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <string>

#include "files/atomic_file.h"

namespace dorvanix::cli {

StandardOutputBuffer::StandardOutputBuffer(int descriptor)
    : descriptor_(descriptor), data_(std::size_t{1} << 16) {
    setp(data_.data(), data_.data() + data_.size());
}

void StandardOutputBuffer::writeOut() {
    const char* from = pbase();
    const char* end = pptr();
    // Whatever happens, the buffer is empty afterwards: what could not be written is lost with
    // the error that is reported.
    setp(data_.data(), data_.data() + data_.size());
    writeAll(from, end);
}

void StandardOutputBuffer::writeAll(const char* from, const char* end) {
    while (from < end) {
        const ssize_t written = ::write(descriptor_, from, static_cast<std::size_t>(end - from));
        if (written < 0 && errno == EINTR) continue;
        if (written <= 0) {
            const int error = written < 0 ? errno : EIO;
            throw FileWriteError(
                "cannot write to standard output: " + std::string(std::strerror(error)), error);
        }
        from += written;
    }
}

StandardOutputBuffer::int_type StandardOutputBuffer::overflow(int_type ch) {
    writeOut();
    if (!traits_type::eq_int_type(ch, traits_type::eof())) {
        *pptr() = traits_type::to_char_type(ch);
        pbump(1);
    }
    return traits_type::not_eof(ch);
}

std::streamsize StandardOutputBuffer::xsputn(const char* text, std::streamsize count) {
    if (count <= epptr() - pptr()) {
        std::memcpy(pptr(), text, static_cast<std::size_t>(count));
        pbump(static_cast<int>(count));
        return count;
    }
    writeOut();
    writeAll(text, text + count);
    return count;
}

int StandardOutputBuffer::sync() {
    writeOut();
    return 0;
}

}  // namespace dorvanix::cli
