#include "resources/JpegDecoder.h"

#include <csetjmp>
#include <cstdio>
#include <cstring>

#include <jpeglib.h>
#include <jerror.h>

namespace cm {
namespace {

// libjpeg reports fatal errors through error_exit, which by default ends the process. Ours
// formats the message and jumps back to DecodeJpeg instead.
struct ErrorManager {
    jpeg_error_mgr pub;
    std::jmp_buf jump;
    char message[JMSG_LENGTH_MAX];
};

// The source state lives with the decompressor rather than in globals, so decodes on different
// threads cannot disturb each other.
struct MemorySource {
    jpeg_source_mgr pub;
    const uint8_t* data;
    size_t size;
    size_t position;  // next byte to hand out; never above size
};

[[noreturn]] void ExitWithMessage(j_common_ptr cinfo) {
    auto* err = reinterpret_cast<ErrorManager*>(cinfo->err);
    (*cinfo->err->format_message)(cinfo, err->message);
    std::longjmp(err->jump, 1);
}

// Warnings that mean the picture cannot be complete (the data ends early, or the coded data is
// corrupt from some point on) refuse the image like a fatal error. The library would go on and
// pad the rest with grey, so a damaged or truncated file would pass as a good texture and, with a
// forged size, cost seconds and a gigabyte first. Other warnings (an unknown JFIF revision,
// stray bytes between markers) leave the picture intact and stay quiet.
void OnMessage(j_common_ptr cinfo, int level) {
    if (level >= 0) return;
    cinfo->err->num_warnings++;
    switch (cinfo->err->msg_code) {
    case JWRN_JPEG_EOF:
    case JWRN_HIT_MARKER:
    case JWRN_HUFF_BAD_CODE:
    case JWRN_ARITH_BAD_CODE:
    case JWRN_MUST_RESYNC:
    case JWRN_BOGUS_PROGRESSION:
    case JWRN_NOT_SEQUENTIAL:
        ExitWithMessage(cinfo);
    default:
        break;
    }
}

void InitSource(j_decompress_ptr cinfo) {
    reinterpret_cast<MemorySource*>(cinfo->src)->position = 0;
}

// Everything not yet handed out, in one piece. At the end the decoder gets an end-of-image marker, which
// every part of libjpeg treats as "no more data" (the entropy decoder pads with zeros, the marker
// reader stops), so it can never loop or read past the buffer; the warning that goes with it
// refuses the image (OnMessage).
boolean FillInputBuffer(j_decompress_ptr cinfo) {
    static const JOCTET kEndOfImage[2] = {0xFF, JPEG_EOI};
    auto* src = reinterpret_cast<MemorySource*>(cinfo->src);
    if (src->position < src->size) {
        src->pub.next_input_byte = src->data + src->position;
        src->pub.bytes_in_buffer = src->size - src->position;
        src->position = src->size;
    } else {
        src->pub.next_input_byte = kEndOfImage;
        src->pub.bytes_in_buffer = sizeof kEndOfImage;
        WARNMS(cinfo, JWRN_JPEG_EOF);
    }
    return TRUE;
}

// Skips count bytes counted from the next unread one: first what is still buffered, then the
// rest straight from the data, stopping at its end (the next fill then supplies the marker).
void SkipInputData(j_decompress_ptr cinfo, long count) {
    if (count <= 0) return;
    auto* src = reinterpret_cast<MemorySource*>(cinfo->src);
    size_t n = static_cast<size_t>(count);
    if (n <= src->pub.bytes_in_buffer) {
        src->pub.next_input_byte += n;
        src->pub.bytes_in_buffer -= n;
        return;
    }
    n -= src->pub.bytes_in_buffer;
    src->pub.bytes_in_buffer = 0;
    src->position = n > src->size - src->position ? src->size : src->position + n;
}

void TermSource(j_decompress_ptr) {}

// Called by the library once per unit of work while it reads a multi-scan file; the scan
// number only grows, so a file with too many scans stops at the first check past the limit.
void CheckScanCount(j_common_ptr cinfo) {
    if (!cinfo->is_decompressor) return;
    auto* dinfo = reinterpret_cast<j_decompress_ptr>(cinfo);
    if (dinfo->input_scan_number > kMaxJpegScans) {
        auto* err = reinterpret_cast<ErrorManager*>(cinfo->err);
        std::snprintf(err->message, sizeof err->message, "JPEG has more than %d scans", kMaxJpegScans);
        std::longjmp(err->jump, 1);
    }
}

void AttachSource(j_decompress_ptr cinfo, std::span<const uint8_t> data) {
    auto* src = static_cast<MemorySource*>(
        (*cinfo->mem->alloc_small)(reinterpret_cast<j_common_ptr>(cinfo), JPOOL_PERMANENT, sizeof(MemorySource)));
    src->pub.init_source = InitSource;
    src->pub.fill_input_buffer = FillInputBuffer;
    src->pub.skip_input_data = SkipInputData;
    src->pub.resync_to_restart = jpeg_resync_to_restart;
    src->pub.term_source = TermSource;
    src->pub.bytes_in_buffer = 0;
    src->pub.next_input_byte = nullptr;
    src->data = data.data();
    src->size = data.size();
    src->position = 0;
    cinfo->src = &src->pub;
}

// Everything that may longjmp lives here. Only plain locals: a jump skips destructors, so the
// pixel vector belongs to the caller and is merely resized here.
void DecodeSteps(j_decompress_ptr cinfo, jpeg_progress_mgr* progress, std::span<const uint8_t> data,
                 DecodedImage* image) {
    jpeg_create_decompress(cinfo);
    // Large buffers beyond this would need a backing store, which the library then refuses.
    cinfo->mem->max_memory_to_use = 1024L * 1024L * 1024L;
    AttachSource(cinfo, data);
    progress->progress_monitor = CheckScanCount;
    cinfo->progress = progress;

    jpeg_read_header(cinfo, TRUE);
    if (cinfo->image_width > static_cast<JDIMENSION>(kMaxImageSide) ||
        cinfo->image_height > static_cast<JDIMENSION>(kMaxImageSide)) {
        cinfo->err->msg_code = JERR_IMAGE_TOO_BIG;
        cinfo->err->msg_parm.i[0] = kMaxImageSide;
        ExitWithMessage(reinterpret_cast<j_common_ptr>(cinfo));
    }
    if (!ImageSizeAllowed(cinfo->image_width, cinfo->image_height)) {
        auto* err = reinterpret_cast<ErrorManager*>(cinfo->err);
        std::snprintf(err->message, sizeof err->message, "JPEG of %u x %u pixels is larger than %lld pixels",
                      static_cast<unsigned>(cinfo->image_width), static_cast<unsigned>(cinfo->image_height),
                      static_cast<long long>(kMaxImagePixels));
        std::longjmp(err->jump, 1);
    }
    // Default output: RGB for YCbCr or RGB images, grey for one component, CMYK for four.
    if (cinfo->out_color_space != JCS_RGB && cinfo->out_color_space != JCS_GRAYSCALE) {
        cinfo->err->msg_code = JERR_CONVERSION_NOTIMPL;
        ExitWithMessage(reinterpret_cast<j_common_ptr>(cinfo));
    }

    jpeg_start_decompress(cinfo);

    const JDIMENSION width = cinfo->output_width;
    const JDIMENSION height = cinfo->output_height;
    const int components = cinfo->output_components;
    JSAMPARRAY row = (*cinfo->mem->alloc_sarray)(reinterpret_cast<j_common_ptr>(cinfo), JPOOL_IMAGE,
                                                 width * static_cast<JDIMENSION>(components), 1);
    image->width = static_cast<int32_t>(width);
    image->height = static_cast<int32_t>(height);
    // Rows are appended as they are decoded, and nothing is reserved for the declared size: a
    // few hundred bytes may declare 16384 x 16384 pixels, and a file that fails early must not
    // have claimed the gigabyte of the whole picture first.
    image->pixels.clear();

    while (cinfo->output_scanline < height) {
        if (jpeg_read_scanlines(cinfo, row, 1) != 1) break;
        const JSAMPLE* in = row[0];
        if (components == 1) {
            for (JDIMENSION x = 0; x < width; ++x) image->pixels.push_back(PackOpaque(in[x], in[x], in[x]));
        } else {
            for (JDIMENSION x = 0; x < width; ++x) {
                image->pixels.push_back(PackOpaque(in[3 * x], in[3 * x + 1], in[3 * x + 2]));
            }
        }
    }
    // Reads up to the end-of-image marker, so a file cut after its last row is refused here.
    jpeg_finish_decompress(cinfo);
    if (image->pixels.size() != static_cast<size_t>(width) * height) {
        cinfo->err->msg_code = JWRN_JPEG_EOF;
        ExitWithMessage(reinterpret_cast<j_common_ptr>(cinfo));
    }
}

// setjmp sits alone in its frame so that no local of this function changes between the setjmp
// and a jump back to it.
bool RunDecode(j_decompress_ptr cinfo, ErrorManager* err, jpeg_progress_mgr* progress,
               std::span<const uint8_t> data, DecodedImage* image) {
    if (setjmp(err->jump) != 0) return false;
    DecodeSteps(cinfo, progress, data, image);
    return true;
}

}  // namespace

bool DecodeJpeg(std::span<const uint8_t> data, DecodedImage& image, std::string& error) {
    jpeg_decompress_struct cinfo;
    std::memset(&cinfo, 0, sizeof cinfo);
    ErrorManager err;
    jpeg_progress_mgr progress;
    std::memset(&progress, 0, sizeof progress);
    cinfo.err = jpeg_std_error(&err.pub);
    err.pub.error_exit = ExitWithMessage;
    err.pub.emit_message = OnMessage;
    err.message[0] = '\0';

    image = DecodedImage{};
    const bool ok = RunDecode(&cinfo, &err, &progress, data, &image);
    jpeg_destroy_decompress(&cinfo);
    if (!ok) {
        image = DecodedImage{};
        error = err.message;
    }
    return ok;
}

}  // namespace cm
