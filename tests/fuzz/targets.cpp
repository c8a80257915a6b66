// The libFuzzer targets, one function each: the build compiles this file once per target with
// QZ_FUZZ naming its function (<thing>_fuzz, as its executable), so each target links only its own
// parsers. Each calls its parser on any input under AddressSanitizer and UndefinedBehaviorSanitizer
// and checks the strongest invariants that fixed unit-table inputs cannot cover (round trips,
// bounds, growth). A broken one aborts with its name, and libFuzzer keeps the input.
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "../common/string_lists.h"
#include "launch/command_line.h"
#include "launch/string_table.h"
#include "modes/instance_block.h"
#include "runtime/registry_search.h"
#include "runtime/runtime_paths.h"
#include "support/text.h"
#include "support/utf8.h"
#include "ui/missing_runtime_rules.h"
#include "vmhost/launch_configuration.h"
#include "vmhost/stream_redirection.h"
#include "vmhost/vm_parameters.h"

#define FUZZ_TARGET(thing) inline void thing##_fuzz(const uint8_t* data, size_t size)
constexpr size_t kNone = std::u16string::npos;
using Texts = std::vector<std::u16string>;

inline void Check(bool condition, const char* what) {
    if (condition) return;
    std::fprintf(stderr, "invariant broken: %s\n", what);
    std::abort();
}

// Fields are taken from the front, little-endian; past the end they read as zeros, so every input
// is usable. Text is the rest as UTF-16LE units (an odd last byte dropped): its seeds are UTF-16LE.
struct FuzzInput {
    const uint8_t* data;
    size_t size, at = 0;

    uint64_t Field(int bytes) {
        uint64_t value = 0;
        for (int i = 0; i < bytes; ++i) value |= uint64_t{at < size ? data[at++] : 0u} << 8 * i;
        return value;
    }
    std::u16string Utf16() {
        std::u16string text;
        for (; at + 1 < size; at += 2) text.push_back(static_cast<char16_t>(data[at] | data[at + 1] << 8));
        return text;
    }
};

// Splits at every unit `at`, keeping empty pieces: a way to get a list of strings from one input.
inline Texts Pieces(const std::u16string& text, char16_t at) {
    Texts pieces(1);
    for (char16_t unit : text) {
        if (unit == at) pieces.emplace_back();
        else pieces.back().push_back(unit);
    }
    return pieces;
}

inline std::u16string Join(const Texts& items, const std::u16string& between, const std::u16string& quote = u"") {
    std::u16string text;
    for (size_t i = 0; i < items.size(); ++i) text += (i > 0 ? between : u"") + quote + items[i] + quote;
    return text;
}

inline std::u16string Widened(const std::string& ascii) { return std::u16string(ascii.begin(), ascii.end()); }

// The class-path entry rules: the pattern and name prefix of an entry's file search. The input
// (UTF-16LE) is the entry, then a zero unit, then the executable's folder.
FUZZ_TARGET(class_path) {
    const std::u16string text = FuzzInput{data, size}.Utf16();
    const size_t zero = std::min(text.find(u'\0'), text.size());
    const std::u16string entry = text.substr(0, zero);
    const std::u16string folder = zero + 1 < text.size() ? text.substr(zero + 1) : u"C:\\App\\";
    const ClassPathSearch search = ClassPathSearchFor(WideString(entry), WideString(folder));
    const std::u16string pattern = search.pattern.Std(), prefix = search.prefix.Std();
    Check(pattern == entry || pattern == folder + entry, "the pattern is the entry, alone or behind the folder");
    // The prefix is the pattern up to the entry's last "\" or "/": a found name goes behind it.
    const size_t separator = entry.find_last_of(u"\\/");
    Check(pattern.compare(0, prefix.size(), prefix) == 0 &&
              pattern.substr(prefix.size()) == entry.substr(separator == kNone ? 0 : separator + 1),
          "the prefix is the pattern up to the entry's last separator");
}

// The command-line rules: the input (UTF-16LE) split as "Cmd" is, its tokens quoted split back;
// its lines, quotes taken out, quoted behind a program path are the process's arguments.
FUZZ_TARGET(command_line) {
    std::u16string text = FuzzInput{data, size}.Utf16();
    StringList list, again, arguments;
    SplitArguments(text, list);
    SplitArguments(Join(Items(list), u" ", u"\""), again);
    Check(Items(list).size() <= text.size() && (Join(Items(list), u"").find(u'"') != kNone || Items(again) == Items(list)),
          "tokens bounded by the text; quoted, they split back");
    text.erase(std::remove(text.begin(), text.end(), u'"'), text.end());
    ParseCommandLineText(u"app.exe " + Join(Pieces(text, u'\n'), u" ", u"\""), arguments);
    Check(Items(arguments) == Pieces(text, u'\n'), "the arguments behind a program path come through");
}

// The single-instance block: ReadArguments over any block another process may have left (the
// input, repeated to fill it), and WriteArguments with the input's lines (UTF-16LE, "\n" between
// them), which must read back or be refused with the block untouched.
inline Texts ReadInstance(const InstanceBlock& block) {
    StringList list;
    ReadArguments(block, list);
    return Items(list);
}

FUZZ_TARGET(instance_block) {
    InstanceBlock block{};
    for (size_t at = 0; size > 0 && at < sizeof block; ++at) reinterpret_cast<uint8_t*>(&block)[at] = data[at % size];
    size_t units = 0;
    for (const std::u16string& argument : ReadInstance(block)) units += argument.size() + 1;
    Check(units < sizeof block.argumentArea / 2, "what is read lies inside the area");

    const std::u16string text = FuzzInput{data, size}.Utf16();
    const Texts arguments = Pieces(text, u'\n');
    StringList list;
    for (const std::u16string& argument : arguments) list.Append(WideString(argument));
    // As a reader tells arguments apart: no zero unit in one, no empty one after the first.
    const bool plain = text.find(u'\0') == kNone && text.find(u"\n\n") == kNone && (text.empty() || text.back() != u'\n');
    const InstanceBlock before = block;
    const bool written = WriteArguments(list, block);
    // Each argument and its zero terminator, then a closing zero: the text, its zero and one more.
    Check(written == (2 * text.size() + 4 <= kArgumentBytes), "written exactly when it fits 1040 bytes");
    Check(std::memcmp(&before, &block, written ? offsetof(InstanceBlock, argumentArea) : sizeof block) == 0 &&
              std::memcmp(&before.argumentArea[kArgumentBytes], &block.argumentArea[kArgumentBytes],
                          sizeof block.argumentArea - kArgumentBytes) == 0,
          "a write changes only the first 1040 bytes of the area, a refused one nothing");
    Check(!written || !plain || ReadInstance(block) == arguments, "arguments read back");
}

// The Java version rules: the input (UTF-16LE) parsed with both fills, ordered by the fill, and
// the text form read back.
FUZZ_TARGET(java_version) {
    const std::u16string text = FuzzInput{data, size}.Utf16();
    JavaVersion low, high, again;
    const bool ok = ParseJavaVersion(text, kVersionFillMinimum, low);
    Check(ok == ParseJavaVersion(text, kVersionFillMaximum, high) && (ok || (low == JavaVersion{} && high == low)),
          "the fill does not decide success; a failure leaves zeros");
    // Fill 0 is the bottom and fill 65535 the top of what the text names: 1.8 names 1.8.x.
    Check(CompareVersions(low, high) <= 0 && Matches(high, low) && low.major >= 0 && low.update >= 0,
          "fill 0 below fill 65535, within what the text names");
    for (const JavaVersion& v : {low, high}) {
        const WideString printed = VersionText(v);
        Check(ParseJavaVersion(printed, kVersionFillMinimum, again) && Matches(v, again) && VersionText(again) == printed,
              "the text form names the version and reads back as itself");
    }
    // How two versions compare (-1, 0 or 1, the same both ways round) is pinned by unit-table
    // cases: the comparison rows and the sort's ties.
}

// ParseLinkColour, which reads the browser's "Anchor Color" values from the registry. The input
// is a byte whose low bit says whether the value's type is a string, then the value's data as the
// registry hands it over, parsed from a copy of exactly those bytes: AddressSanitizer sees any
// overread.
FUZZ_TARGET(link_colour) {
    FuzzInput input{data, size};
    const bool isString = input.Field(1) & 1;
    const std::u16string units = input.Utf16(), value = units.substr(0, units.find(u'\0'));
    std::vector<char16_t> copy(units.begin(), units.end());
    uint32_t colour = 0xDEADBEEF;
    const bool ok = ParseLinkColour(copy.empty() ? nullptr : copy.data(), static_cast<uint32_t>(size > 0 ? size - 1 : 0), isString, colour);
    Check(ok || colour == 0xDEADBEEF, "a refused value leaves the colour alone");
    Check(!ok || (isString && size - 1 <= 24 && size % 2 == 1 && units.back() == 0 && colour <= 0xFFFFFF &&
                  value.find_first_not_of(u"0123456789,") == kNone && std::count(value.begin(), value.end(), u',') == 2),
          "only short zero-terminated strings of three numbers give a colour");
}

// The memory sizes of "Virtual Machine Parameters": ExpandMemorySize with memory figures,
// percentage, minimum and maximum from the input, and ParseSize, which reads the run thread's
// stack size. The input holds the two memory figures and the percentage (8 bytes each), a byte
// that shifts the percentage right, minimum and maximum (8 bytes each), a byte that picks the
// option and its share suffix, and the text of a token of its own (UTF-16LE).
inline std::u16string Decimal(uint64_t value) { return Widened(std::to_string(value)); }

// The size the token expands to, in kilobytes: the text before its number kept, the number in
// plain decimal, "K" after it.
inline uint64_t Expand(const std::u16string& token, const MemoryFigures& memory) {
    WideString text(token);
    ExpandMemorySize(text, memory);
    const std::u16string expanded = text.Std();
    const size_t start = expanded.find_last_not_of(u"0123456789", expanded.size() - 2) + 1;
    const uint64_t size = ParseSize(expanded.substr(start, expanded.size() - start - 1));
    Check(start >= 4 && expanded == token.substr(0, start) + Decimal(size) + u'K', "the size in plain decimal, in K");
    return size;
}

FUZZ_TARGET(memory_size) {
    FuzzInput input{data, size};
    const MemoryFigures memory{input.Field(8), input.Field(8)};
    const uint64_t percent = input.Field(8) >> input.Field(1) % 64;
    const uint64_t minimum = input.Field(8) >> 40, maximum = input.Field(8) >> 40, choice = input.Field(1);
    const std::u16string body = input.Utf16(), option = std::u16string(u"-Xms-Xmx-Xss").substr(choice % 3 * 4, 4);
    const char16_t suffix = u"PpTt"[choice / 3 % 4];
    const uint64_t figure = suffix == u'P' || suffix == u'p' ? memory.totalPhysical : memory.availableVirtual;
    Expand(option + body + suffix, memory);  // whatever the token's text, a size in plain decimal
    // percent:minimum:maximum: the share of the figure, never below the minimum, above the
    // maximum only for the minimum, and growing with the percentage.
    const auto share = [&](uint64_t p) {
        return Expand(option + Decimal(p) + u':' + Decimal(minimum) + u':' + Decimal(maximum) + suffix, memory);
    };
    const uint64_t expanded = share(percent);
    Check(expanded >= minimum * 1024 && (maximum == 0 || expanded <= std::max(minimum, maximum) * 1024) &&
              (percent > 100 || maximum != 0 || expanded <= std::max(minimum * 1024, figure / 1024 + 1)),
          "within the minimum, the maximum and the whole figure");
    Check(percent == UINT64_MAX || share(percent + 1) >= expanded, "the size grows with the percentage");
}

// The PE header check that tells a VM library's processor from the first page of the file:
// LocatePeHeaders and PeMachine over any bytes (the input is the page, exactly that long).
FUZZ_TARGET(pe_header) {
    size_t offset = 0xBAD;
    const bool found = LocatePeHeaders(data, size, offset);
    Check(found ? size >= 64 && std::memcmp(data, "MZ", 2) == 0 && offset == (data[0x3C] | data[0x3D] << 8 | data[0x3E] << 16 | uint32_t{data[0x3F]} << 24) && offset + 24 <= size &&
                      std::memcmp(data + offset, "PE\0\0", 4) == 0 &&
                      PeMachine(data, offset) == (data[offset + 4] | data[offset + 5] << 8)
                : offset == 0xBAD,
          "the signature where e_lfanew says, a whole file header inside the page, its machine; else untouched");
}

// ReleaseFileVersion, the reader of a runtime folder's "release" file. The input is the file's
// bytes. The version must not depend on line ends, on a line before, nor on bytes outside ASCII.
FUZZ_TARGET(release_file) {
    JavaVersion version, again;
    const std::string content(reinterpret_cast<const char*>(data), size);
    const bool ok = ReleaseFileVersion(content, version);
    const auto same = [&](const std::string& other) {
        again = JavaVersion{};
        return ReleaseFileVersion(other, again) == ok && again == version;
    };
    std::string ascii = content, crlf;
    for (char& byte : ascii) byte = static_cast<unsigned char>(byte) >= 0x80 ? 'x' : byte;
    for (char byte : content) crlf += byte == '\n' ? std::string("\r\n") : std::string(1, byte);
    Check(same(ascii) && same(crlf) && same("IMPLEMENTOR=\"x\"\n" + content),
          "bytes outside ASCII, CR LF line ends and a line before change nothing");
}

// SplitList, which cuts "Class Path", "Library Path" and the other ";" lists: the first input unit
// picks a separator of one to four units from the next ones, the rest is the text (UTF-16LE).
FUZZ_TARGET(split_list) {
    FuzzInput input{data, size};
    const size_t length = input.Field(2) % 4 + 1;
    std::u16string text = input.Utf16(), separator = u";";  // when the input is too short for one
    if (text.size() > length) {
        separator = text.substr(0, length);
        text.erase(0, length);
    }
    StringList list;  // that it is emptied first is a unit-table case
    SplitList(text, separator, list);
    // The pieces, none holding the separator, join back into the text (but for a trailing
    // separator, which the join cannot show).
    const Texts pieces = Items(list);
    for (const std::u16string& piece : pieces) Check(piece.find(separator) == kNone, "no piece holds the separator");
    Check(Join(pieces, separator) == text || Join(pieces, separator) + separator == text, "the pieces join back");
}

// The string-table block walk: the input is a block as a resource section hands it over (exactly
// its size), served by the LoadStringBlock below for every block id and looked up through
// LoadStringResource and FindStringModule.
#ifdef QZ_FUZZ_STRING_TABLE
static FuzzInput current{nullptr, 0};  // the block being read
static const ResourceModule kModule = &current;

const std::vector<ResourceModule>& ProgramResourceModules() {
    static const std::vector<ResourceModule> modules{kModule};
    return modules;
}

bool LoadStringBlock(ResourceModule module, int32_t, const void*& block, size_t& sizeBytes) {
    block = current.data;
    sizeBytes = current.size;
    return module == kModule;
}

FUZZ_TARGET(string_table) {
    current = {data, size};
    for (int32_t id = 0; id < 2 * kStringsPerBlock; ++id) {
        WideString whole, loaded(u"left over");
        const bool present = FindStringInBlock(data, size, id % kStringsPerBlock, whole);
        Check(present ? 2 + 2 * size_t(whole.Length()) <= size && !whole.IsEmpty() : whole.IsEmpty(),
              "a string found is not empty and lies inside the block");
        Check(LoadStringResource(loaded, kModule, id) == present && loaded == whole &&
                  FindStringModule(id) == (present ? kModule : nullptr),
              "the resource and its module are the block's entry");
    }
}
#endif

// ExpandTimePattern, the date and time in the names of the output and error files. The input
// holds the time (eight 16-bit fields, of which only the milliseconds reach the launcher's own
// code: the others go to the formatters alone), a byte whose low bit makes the stand-in
// formatters fail, and the file name (UTF-16LE). The stand-ins mark what they were given, so the
// result shows what reached them and in which order; the time formatter's picture stays "L" until
// it is called (a picture it is given never holds an "L").
static bool formattersFail = false;
static std::u16string timePicture;

inline WideString FakeTime(std::u16string_view picture, const LocalTime&) {
    timePicture = picture;
    return formattersFail ? WideString() : WideString(u"<" + timePicture + u">");
}

inline WideString FakeDate(std::u16string_view picture, const LocalTime&) {
    return formattersFail ? WideString() : WideString(u"[" + std::u16string(picture) + u"]");
}

FUZZ_TARGET(time_pattern) {
    FuzzInput input{data, size, 14};
    LocalTime time;
    time.milliseconds = static_cast<uint16_t>(input.Field(2));
    formattersFail = input.Field(1) & 1;
    const std::u16string name = input.Utf16();
    timePicture = u"L";
    WideString expanded(name);
    ExpandTimePattern(expanded, time, FakeTime, FakeDate);
    // The text between the outer "%" goes to the time formatter (each "L" made the milliseconds:
    // a unit-table case), unless that is empty or longer than the system's formatters take (260
    // units with the zero); what it gives goes to the date formatter, and the result replaces it.
    const size_t first = std::min(name.find(u'%'), name.size()), last = name.rfind(u'%');
    const std::u16string between = last != kNone && first < last ? name.substr(first + 1, last - first - 1) : u"";
    Check(between.find(u'L') != kNone || timePicture == (!between.empty() && between.size() < 260 ? between : u"L"),
          "the text between the outer % is the picture");
    const std::u16string filled = timePicture != u"L" && !formattersFail ? u"[<" + timePicture + u">]" : u"";
    Check(first == name.size() ? expanded.Std() == name
                               : expanded.Std() == name.substr(0, first) + filled + name.substr(last + 1),
          "the pattern and its % replaced, the rest kept");
}

// The UTF-8 decoders, DecodeUtf8 (release files and the native build's narrow text) and
// DecodeModifiedUtf8 (strings from the VM), over any bytes, and EncodeUtf8 over the input read as
// UTF-16LE. Decoding never invents or swallows ASCII, and text survives the round trips.
inline std::u16string Ascii(std::u16string text) {
    text.erase(std::remove_if(text.begin(), text.end(), [](char16_t unit) { return unit >= 0x80; }), text.end());
    return text;
}

FUZZ_TARGET(utf8) {
    // Bytes widened one by one (those from 0x80 up become units far above ASCII).
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    const std::u16string decoded = DecodeUtf8(bytes).Std(), ascii = Ascii(Widened(bytes));
    const ByteString encoded = EncodeUtf8(decoded);
    const std::string_view again(encoded.data(), encoded.size());
    Check(decoded.size() <= bytes.size() && Ascii(decoded) == ascii, "never more units than bytes, ASCII only from ASCII");
    Check(DecodeUtf8(again).Std() == decoded && (decoded.find(u'\xFFFD') != kNone || again == bytes),
          "decoded text (well-formed UTF-16) survives the round trip; valid UTF-8 encodes back");
    // The VM's decoder is lenient (it reads overlong forms, C0 80 among them), but it never
    // swallows an ASCII byte into a sequence.
    const std::u16string modified = DecodeModifiedUtf8(bytes).Std();
    size_t next = 0;
    for (char16_t unit : Ascii(modified)) next += next < ascii.size() && unit == ascii[next];
    Check(modified.size() <= bytes.size() && next == ascii.size(), "modified: every ASCII byte comes through");
    // The input as UTF-16 text survives UTF-8, a lone surrogate as U+FFFD.
    const std::u16string text = FuzzInput{data, size}.Utf16();
    const ByteString utf8 = EncodeUtf8(text);
    const std::u16string back = DecodeUtf8(std::string_view(utf8.data(), utf8.size())).Std();
    const bool plain = std::none_of(text.begin(), text.end(), [](char16_t unit) { return unit >= 0xD800 && unit < 0xE000; });
    Check(back.size() == text.size() && (!plain || back == text), "text survives UTF-8");
}

// The "Virtual Machine Parameters" tokenizer and RemoveQuotes: the input (UTF-16LE) split and
// unquoted as the launcher does, checked against the text it came from and against values written
// in quotes.
FUZZ_TARGET(vm_parameters) {
    const std::u16string text = FuzzInput{data, size}.Utf16();
    StringList list;
    SplitVmParameters(text, list);
    // The tokens are the text itself, cut at runs of blanks: only the first may be empty (the
    // text began with a blank), and a blank inside one stands between quotes.
    size_t at = 0;
    for (int32_t i = 0; i < list.Count(); ++i) {
        const std::u16string token = list[i].Std();
        Check(text.compare(at, token.size(), token) == 0 && (at == 0 || !token.empty()) &&
                  (token.find(u'"') != kNone || token.find(u' ') == kNone),
              "a token is the text in place, not empty but first, its blanks within quotes");
        at += token.size();
        Check(at == text.size() || text[at] == u' ', "a token ends at a blank");
        at = std::min(text.find_first_not_of(u' ', at), text.size());
        RemoveQuotes(list[i]);
    }
    Check(at == text.size(), "the tokens cover the text");
    // Values without quotes written as -Dv="value", blanks and all, come back one token each.
    std::u16string unquoted = text;
    unquoted.erase(std::remove(unquoted.begin(), unquoted.end(), u'"'), unquoted.end());
    list.Clear();
    SplitVmParameters(u"-Dv=" + Join(Pieces(unquoted, u'\n'), u" -Dv=", u"\""), list);
    for (int32_t i = 0; i < list.Count(); ++i) RemoveQuotes(list[i]);
    // The values hold no line end: one between tokens marks where a token ends.
    Check(Join(Items(list), u"\n") == u"-Dv=" + Join(Pieces(unquoted, u'\n'), u"\n-Dv="), "quoted values come back, one token each");
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    QZ_FUZZ(data, size);
    return 0;
}
