// The floor under reading a worksheet part: inflating it alone (zlib in chunks, libdeflate in
// one call) and inflating plus a streaming expat parse that does nothing with what it sees; and
// the other half of a save, deflating the same bytes at several levels (time and size).
//   floor_bench FILE.xlsx [PART] [RUNS]
// PART defaults to xl/worksheets/sheet1.xml; each figure is the best of RUNS (default 5), in
// CPU time of the one thread doing the work, so that other jobs on a shared machine do not
// count.
#include <expat.h>
#include <libdeflate.h>
#include <zip.h>
#include <zlib.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <functional>
#include <string>
#include <vector>

namespace {

double ThreadCpuMs() {
  timespec now{};
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
  return static_cast<double>(now.tv_sec) * 1e3 + static_cast<double>(now.tv_nsec) / 1e6;
}

double BestMs(int runs, const std::function<void()>& work) {
  double best = 1e300;
  for (int i = 0; i < runs; ++i) {
    const double start = ThreadCpuMs();
    work();
    best = std::min(best, ThreadCpuMs() - start);
  }
  return best;
}

[[noreturn]] void Die(const std::string& why) {
  std::fprintf(stderr, "floor_bench: %s\n", why.c_str());
  std::exit(1);
}

// The part's raw deflate stream and its inflated size.
std::pair<std::string, std::size_t> CompressedPart(const char* path, const char* part) {
  int code = 0;
  zip_t* archive = zip_open(path, ZIP_RDONLY, &code);
  if (archive == nullptr) Die(std::string("cannot open ") + path);
  zip_stat_t stat;
  zip_stat_init(&stat);
  if (zip_stat(archive, part, 0, &stat) != 0) Die(std::string("no part ") + part);
  if (stat.comp_method != ZIP_CM_DEFLATE) Die("the part is not deflated");
  zip_file_t* file = zip_fopen(archive, part, ZIP_FL_COMPRESSED);
  std::string raw(stat.comp_size, '\0');
  if (zip_fread(file, raw.data(), raw.size()) != static_cast<zip_int64_t>(raw.size())) {
    Die("cannot read the part");
  }
  zip_fclose(file);
  zip_discard(archive);
  return {raw, static_cast<std::size_t>(stat.size)};
}

// zlib's raw inflate in 256 KiB pieces, each handed to `sink`, as a streaming reader works.
template <typename Sink>
void ZlibInflate(const std::string& raw, Sink&& sink) {
  z_stream z{};
  inflateInit2(&z, -MAX_WBITS);
  std::vector<char> out(256 * 1024);
  z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(raw.data()));
  z.avail_in = static_cast<uInt>(raw.size());
  int status = Z_OK;
  while (status != Z_STREAM_END) {
    z.next_out = reinterpret_cast<Bytef*>(out.data());
    z.avail_out = static_cast<uInt>(out.size());
    status = inflate(&z, Z_NO_FLUSH);
    if (status != Z_OK && status != Z_STREAM_END) Die("inflate failed");
    sink(out.data(), out.size() - z.avail_out, status == Z_STREAM_END);
  }
  inflateEnd(&z);
}

void XMLCALL OnStart(void*, const XML_Char*, const XML_Char**) {}
void XMLCALL OnEnd(void*, const XML_Char*) {}
void XMLCALL OnText(void*, const XML_Char*, int) {}

XML_Parser NewParser() {
  XML_Parser parser = XML_ParserCreate(nullptr);
  XML_SetElementHandler(parser, OnStart, OnEnd);
  XML_SetCharacterDataHandler(parser, OnText);
  return parser;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) Die("usage: floor_bench FILE.xlsx [PART] [RUNS]");
  const char* part = argc > 2 ? argv[2] : "xl/worksheets/sheet1.xml";
  const int runs = argc > 3 ? std::atoi(argv[3]) : 5;
  const auto [raw, size] = CompressedPart(argv[1], part);
  std::printf("%s %s: %zu bytes deflated, %zu inflated\n", argv[1], part, raw.size(), size);

  std::string xml(size, '\0');
  libdeflate_decompressor* decompressor = libdeflate_alloc_decompressor();
  auto libdeflate_inflate = [&] {
    std::size_t got = 0;
    if (libdeflate_deflate_decompress(decompressor, raw.data(), raw.size(), xml.data(), xml.size(),
                                      &got) != LIBDEFLATE_SUCCESS ||
        got != size) {
      Die("libdeflate failed");
    }
  };
  const double zlib_ms =
      BestMs(runs, [&] { ZlibInflate(raw, [](const char*, std::size_t, bool) {}); });
  const double libdeflate_ms = BestMs(runs, libdeflate_inflate);
  const double zlib_parse_ms = BestMs(runs, [&] {
    XML_Parser parser = NewParser();
    ZlibInflate(raw, [&](const char* data, std::size_t n, bool last) {
      if (XML_Parse(parser, data, static_cast<int>(n), last) != XML_STATUS_OK) Die("bad XML");
    });
    XML_ParserFree(parser);
  });
  const double libdeflate_parse_ms = BestMs(runs, [&] {
    libdeflate_inflate();
    XML_Parser parser = NewParser();
    if (XML_Parse(parser, xml.data(), static_cast<int>(xml.size()), 1) != XML_STATUS_OK) {
      Die("bad XML");
    }
    XML_ParserFree(parser);
  });
  const double parse_ms = BestMs(runs, [&] {
    XML_Parser parser = NewParser();
    XML_Parse(parser, xml.data(), static_cast<int>(xml.size()), 1);
    XML_ParserFree(parser);
  });
  libdeflate_free_decompressor(decompressor);
  std::printf("inflate, zlib in 256 KiB pieces   %8.1f ms\n", zlib_ms);
  std::printf("inflate, libdeflate whole part    %8.1f ms\n", libdeflate_ms);
  std::printf("expat parse alone, no callbacks   %8.1f ms\n", parse_ms);
  std::printf("zlib inflate + streaming parse    %8.1f ms\n", zlib_parse_ms);
  std::printf("libdeflate inflate + parse        %8.1f ms\n", libdeflate_parse_ms);

  for (int level : {1, 3, 6}) {
    std::vector<char> out(compressBound(static_cast<uLong>(xml.size())));
    std::size_t zlib_size = 0;
    const double zlib_deflate_ms = BestMs(runs, [&] {
      z_stream z{};
      deflateInit2(&z, level, Z_DEFLATED, -MAX_WBITS, 8, Z_DEFAULT_STRATEGY);
      z.next_in = reinterpret_cast<Bytef*>(xml.data());
      z.avail_in = static_cast<uInt>(xml.size());
      z.next_out = reinterpret_cast<Bytef*>(out.data());
      z.avail_out = static_cast<uInt>(out.size());
      deflate(&z, Z_FINISH);
      zlib_size = z.total_out;
      deflateEnd(&z);
    });
    libdeflate_compressor* compressor = libdeflate_alloc_compressor(level);
    std::size_t libdeflate_size = 0;
    const double libdeflate_deflate_ms = BestMs(runs, [&] {
      libdeflate_size =
          libdeflate_deflate_compress(compressor, xml.data(), xml.size(), out.data(), out.size());
    });
    libdeflate_free_compressor(compressor);
    std::printf("deflate level %d: zlib %7.1f ms %9zu bytes, libdeflate %7.1f ms %9zu bytes\n",
                level, zlib_deflate_ms, zlib_size, libdeflate_deflate_ms, libdeflate_size);
  }
  return 0;
}
