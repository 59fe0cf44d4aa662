// The formatted-output engine: edit descriptors in the formatted output
// notation (i, f, e, es, en, d, g, a, l, x, t, tl, tr, /, :, kP, s, sp, ss,
// bn, bz, quoted literals, Hollerith, repeat counts, nested groups, reversion).
// A format is parsed once into a compact program and then fed items; output
// is appended to one buffer, lines separated by '\n'. Numbers are written
// exactly as the reference Fortran runtime writes them (rounding to nearest
// on the exact binary value, ties to even; G editing chooses between its F
// and E forms by limits computed in the item's own kind). One deliberate
// difference: EN fields of REAL items are rounded exactly like every other
// field. The reference runtime takes the number of digits of such a field
// from an exponent that it finds a unit too high for the REAL next below
// some powers of ten (999.99994 under EN14.5 gives 1.00000E+03, 9.99999975E-5
// gives 99.99999E-06 with the last digit cut off) and for subnormal values
// from about 9.5 times a power of ten (999.977800E-42 instead of
// 999.977795E-42 under EN15.6). Which REAL is hit depends on the power of
// ten, not on d, and follows no rule found that could be copied.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace morvane::fmt {

// ---- single fields, appended to out; each appends exactly w characters ----
// (w = 0 for the processor-chosen width of I0 / F0.d where that applies).
// A value that does not fit, and an E field whose scale factor is out of range
// for its digits (-d < scale <= d + 1 is needed), give w asterisks.

void put_int(std::string& out, std::int64_t v, int w, int m = -1);            // Iw, Iw.m
void put_fixed(std::string& out, double v, int w, int d, int scale = 0);      // Fw.d (kP)
void put_exp(std::string& out, double v, int w, int d, int e = 0, int scale = 0);  // Ew.d[Ee] (kP)
void put_general(std::string& out, double v, int w, int d, int e = 0, int scale = 0);  // Gw.d[Ee]
// Gw.d[Ee] of a REAL item: the F or E form is chosen by limits computed in
// 32-bit floats, as the reference runtime does for this kind, so a value just
// below 10^k may take the F form of the next range (0.99999499 under G13.5
// gives '   1.0000    ', not '  0.99999    ').
void put_general(std::string& out, float v, int w, int d, int e = 0, int scale = 0);
// Fixed-point field of a 32-bit real (the same bytes as of the value widened exactly).
void put_fixed(std::string& out, float v, int w, int d);

// The fast call for the data lines of monitoring files: one record of the
// format (Iwi,nGw.d) with n >= x.size() (their default "(i6,99g13.5)"): the
// INTEGER k, then the REAL items x, then '\n'. The same bytes as a
// RecordWriter with that format, without walking the format item by item.
void put_int_general_record(std::string& out, std::int32_t k, int wi, std::span<const float> x, int w, int d);

// ---- whole formats ----

class Program;  // parsed form, opaque

class Format {
public:
    // Parses a format text such as "(i6,99g13.5)"; nullopt with a reason in
    // *error when the text is not a valid format. Blanks are ignored outside
    // quoted and Hollerith texts; letters may be of either case; a missing
    // comma between two items is accepted.
    static std::optional<Format> parse(std::string_view text, std::string* error = nullptr);

    Format(const Format&);
    Format& operator=(const Format&);
    Format(Format&&) noexcept;
    Format& operator=(Format&&) noexcept;
    ~Format();

    const Program& program() const { return *program_; }

private:
    Format() = default;
    std::unique_ptr<Program> program_;
};

// Writes one record (one WRITE statement) with a format: feed the items in
// order, then finish(). Output is appended to out; every line, the last one
// included, ends with '\n'. Integers fit I and G, reals F, E, ES, EN, D and G,
// texts A and G, logicals L and G. An item whose kind does not fit its
// descriptor (an integer for F, a real for I, ...), a scale factor out of
// range for an E field, or items beyond a format whose reverted part has no
// data descriptor set an error, stop the record and take back everything the
// record had appended to out.
class RecordWriter {
public:
    RecordWriter(const Format& format, std::string& out);
    ~RecordWriter();
    RecordWriter(const RecordWriter&) = delete;
    RecordWriter& operator=(const RecordWriter&) = delete;

    void integer(std::int32_t v);
    void real(float v);     // a REAL (32-bit) item
    void real(double v);    // a DOUBLE PRECISION item
    void text(std::string_view v);
    void logical(bool v);
    // Ends the record (writes what follows the last item up to the first data
    // descriptor or ':' and the final newline). Returns false on error.
    bool finish();

    bool ok() const { return error_.empty(); }
    const std::string& error() const { return error_; }

private:
    struct State;
    std::unique_ptr<State> state_;
    std::string error_;
};

}  // namespace morvane::fmt
