// Generator of large, realistic 5010 X12 files for the benchmarks.
//
//   gen_x12 837p|835 SIZE_MB OUTPUT [--seed N] [--newlines]
//
// 837P: one interchange of several functional-group sets (about 5000 claims
// a set), billing providers with several subscribers, some dependents
// (patient levels), one to four claims per subscriber, one to six service
// lines per claim, diagnoses, rendering providers, referrals and dates.
// 835: payments with BPR/TRN, payer and payee, claims with adjustments,
// service lines with their own adjustments, dates and amounts, PLB.
// Segments end with "~" (and a line feed with --newlines). The output is
// deterministic for a seed.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>

namespace {

class Random {
 public:
  explicit Random(std::uint64_t seed) : state_(seed * 2654435761u + 88172645463325252ull) {}
  std::uint64_t Next() {
    state_ ^= state_ << 13;
    state_ ^= state_ >> 7;
    state_ ^= state_ << 17;
    return state_;
  }
  int Between(int lo, int hi) { return lo + static_cast<int>(Next() % (hi - lo + 1)); }
  bool Chance(int percent) { return Between(1, 100) <= percent; }
  template <std::size_t N>
  const char* Pick(const char* const (&items)[N]) {
    return items[Next() % N];
  }

 private:
  std::uint64_t state_;
};

const char* const kLast[] = {"SMITH",  "JOHNSON",  "WILLIAMS",  "BROWN",    "JONES",     "GARCIA",
                             "MILLER", "DAVIS",    "RODRIGUEZ", "MARTINEZ", "HERNANDEZ", "LOPEZ",
                             "WILSON", "ANDERSON", "THOMAS",    "TAYLOR",   "MOORE",     "JACKSON",
                             "MARTIN", "LEE",      "PEREZ",     "THOMPSON", "WHITE",     "HARRIS"};
const char* const kFirst[] = {"JAMES",   "MARY",  "ROBERT", "PATRICIA",  "JOHN",    "JENNIFER",
                              "MICHAEL", "LINDA", "DAVID",  "ELIZABETH", "WILLIAM", "BARBARA",
                              "RICHARD", "SUSAN", "JOSEPH", "JESSICA",   "THOMAS",  "SARAH"};
const char* const kStreet[] = {"MAIN ST",         "OAK AVE",      "PINE RD",
                               "MAPLE DR",        "CEDAR LN",     "ELM ST",
                               "WASHINGTON BLVD", "LAKE VIEW CT", "HILLSIDE AVE"};
const char* const kCity[] = {"HARRISBURG", "LANCASTER", "YORK",       "READING",      "ALLENTOWN",
                             "SCRANTON",   "ERIE",      "PITTSBURGH", "PHILADELPHIA", "ALTOONA"};
const char* const kState[] = {"PA", "NJ", "NY", "OH", "MD", "DE"};
const char* const kPayer[] = {"MEDICARE PART B",   "BLUE SHIELD", "AETNA HEALTH",
                              "UNITED HEALTHCARE", "CIGNA",       "HUMANA",
                              "STATE MEDICAID"};
const char* const kProc[] = {"99213", "99214", "99203", "99204", "99395", "36415",
                             "81002", "85025", "80053", "93000", "71046", "90471",
                             "90686", "97110", "97140", "G0439", "J3420", "20610"};
const char* const kDiag[] = {"E119", "I10",  "J069",   "M545",   "Z0000", "E785",
                             "K219", "F329", "J45909", "N390",   "R05",   "M1711",
                             "E039", "Z23",  "R0602",  "L03115", "H6690", "B349"};
const char* const kTaxonomy[] = {"207Q00000X", "207R00000X", "208D00000X",
                                 "225100000X", "207X00000X", "363LF0000X"};
const char* const kCarc[] = {"45", "2", "1", "3", "42", "59", "96", "97", "253", "131"};
const char* const kRarc[] = {"N130", "M15", "N381", "MA130", "N522", "M80"};

class Writer {
 public:
  Writer(std::FILE* out, bool newlines) : out_(out), newlines_(newlines) { buf_.reserve(1 << 22); }
  ~Writer() { Flush(); }
  // Appends one segment: the parts joined by "*", then the terminator.
  template <typename... Parts>
  void Seg(Parts&&... parts) {
    bool first = true;
    ((Add(first, parts)), ...);
    buf_.push_back('~');
    if (newlines_) buf_.push_back('\n');
    ++segments_;
    if (buf_.size() > (1 << 22) - 4096) Flush();
  }
  void Flush() {
    if (!buf_.empty()) {
      written_ += std::fwrite(buf_.data(), 1, buf_.size(), out_);
      buf_.clear();
    }
  }
  std::uint64_t bytes() const { return written_ + buf_.size(); }
  std::uint64_t segments() const { return segments_; }

 private:
  void Add(bool& first, std::string_view part) {
    if (!first) buf_.push_back('*');
    first = false;
    buf_.append(part);
  }
  void Add(bool& first, long long number) { Add(first, std::string_view(std::to_string(number))); }
  void Add(bool& first, int number) { Add(first, static_cast<long long>(number)); }

  std::FILE* out_;
  bool newlines_;
  std::string buf_;
  std::uint64_t written_ = 0;
  std::uint64_t segments_ = 0;
};

std::string Digits(Random& r, int n) {
  std::string s;
  for (int i = 0; i < n; ++i) s.push_back(static_cast<char>('0' + r.Between(0, 9)));
  return s;
}

std::string Money(long long cents) {
  std::string s = std::to_string(cents / 100);
  const long long c = cents % 100;
  if (c != 0) {
    s.push_back('.');
    s.push_back(static_cast<char>('0' + c / 10));
    if (c % 10 != 0) s.push_back(static_cast<char>('0' + c % 10));
  }
  return s;
}

std::string Date(Random& r, int year) {
  char b[16];
  std::snprintf(b, sizeof b, "%04d%02d%02d", year, r.Between(1, 12), r.Between(1, 28));
  return b;
}

std::string Isa(int control) {
  char b[128];
  std::snprintf(b, sizeof b,
                "ISA*00*          *00*          *ZZ*%-15s*ZZ*%-15s*230105*1405*^*00501*%09d*0*P*:",
                "CLEARINGHOUSE", "PAYERGATEWAY", control);
  return b;
}

void Address(Writer& w, Random& r) {
  w.Seg("N3", std::to_string(r.Between(1, 9999)) + " " + r.Pick(kStreet));
  w.Seg("N4", r.Pick(kCity), r.Pick(kState), Digits(r, 5) + Digits(r, 4));
}

void Generate837(Writer& w, Random& r, std::uint64_t target) {
  w.Seg(Isa(1));
  w.Seg("GS", "HC", "CLEARINGHOUSE", "PAYERGATEWAY", "20230105", "1405", "1", "X", "005010X222A1");
  int sets = 0;
  long long claim_no = 0;
  while (w.bytes() < target) {
    ++sets;
    char control[16];
    std::snprintf(control, sizeof control, "%04d", sets);
    const std::uint64_t set_start = w.segments();
    w.Seg("ST", "837", control, "005010X222A1");
    w.Seg("BHT", "0019", "00", std::string("BATCH") + control, "20230105", "1405", "CH");
    w.Seg("NM1", "41", "2", "PREMIER BILLING SERVICE", "", "", "", "", "46", "TGJ23");
    w.Seg("PER", "IC", "JERRY", "TE", "3055552222", "EX", "231");
    w.Seg("NM1", "40", "2", "KEY INSURANCE COMPANY", "", "", "", "", "46", "66783JJT");
    int hl = 0;
    int claims_in_set = 0;
    while (claims_in_set < 5000 && w.bytes() < target) {
      const int billing_hl = ++hl;
      w.Seg("HL", billing_hl, "", "20", "1");
      w.Seg("PRV", "BI", "PXC", r.Pick(kTaxonomy));
      w.Seg("NM1", "85", "2", std::string(r.Pick(kLast)) + " MEDICAL GROUP", "", "", "", "", "XX",
            "1" + Digits(r, 9));
      Address(w, r);
      w.Seg("REF", "EI", Digits(r, 9));
      w.Seg("PER", "IC", r.Pick(kFirst), "TE", Digits(r, 10));
      const int subscribers = r.Between(5, 40);
      for (int s = 0; s < subscribers && w.bytes() < target; ++s) {
        const bool dependent = r.Chance(25);
        const int subscriber_hl = ++hl;
        w.Seg("HL", subscriber_hl, billing_hl, "22", dependent ? "1" : "0");
        w.Seg("SBR", "P", dependent ? "" : "18", r.Chance(30) ? "GRP" + Digits(r, 6) : "", "", "",
              "", "", "", r.Chance(50) ? "CI" : "MB");
        const std::string last = r.Pick(kLast);
        w.Seg("NM1", "IL", "1", last, r.Pick(kFirst), r.Chance(40) ? "A" : "", "", "", "MI",
              Digits(r, 9) + "A");
        Address(w, r);
        w.Seg("DMG", "D8", Date(r, r.Between(1935, 2005)), r.Chance(50) ? "F" : "M");
        w.Seg("NM1", "PR", "2", r.Pick(kPayer), "", "", "", "", "PI", Digits(r, 5));
        if (dependent) {
          w.Seg("HL", ++hl, subscriber_hl, "23", "0");
          w.Seg("PAT", r.Chance(50) ? "19" : "01");
          w.Seg("NM1", "QC", "1", last, r.Pick(kFirst));
          Address(w, r);
          w.Seg("DMG", "D8", Date(r, r.Between(2006, 2020)), r.Chance(50) ? "F" : "M");
        }
        const int claims = r.Between(1, 4);
        for (int c = 0; c < claims; ++c) {
          ++claim_no;
          ++claims_in_set;
          const int lines = r.Between(1, 6);
          long long total = 0;
          long long charges[6];
          for (int l = 0; l < lines; ++l) {
            charges[l] = r.Between(15, 450) * 100 + (r.Chance(30) ? 50 : 0);
            total += charges[l];
          }
          w.Seg("CLM", "PCN" + std::to_string(claim_no), Money(total), "", "",
                std::string(r.Chance(80) ? "11" : "22") + ":B:1", "Y", "A", "Y", "Y");
          if (r.Chance(30)) w.Seg("DTP", "431", "D8", Date(r, 2022));
          if (r.Chance(20)) w.Seg("REF", "G1", Digits(r, 8));
          if (r.Chance(15)) w.Seg("REF", "D9", Digits(r, 12));
          std::string hi = std::string("ABK:") + r.Pick(kDiag);
          const int more = r.Between(0, 4);
          if (more == 0) {
            w.Seg("HI", hi);
          } else {
            std::string others[4];
            for (int d = 0; d < more; ++d) others[d] = std::string("ABF:") + r.Pick(kDiag);
            if (more == 1) w.Seg("HI", hi, others[0]);
            if (more == 2) w.Seg("HI", hi, others[0], others[1]);
            if (more == 3) w.Seg("HI", hi, others[0], others[1], others[2]);
            if (more == 4) w.Seg("HI", hi, others[0], others[1], others[2], others[3]);
          }
          if (r.Chance(60)) {
            w.Seg("NM1", "82", "1", r.Pick(kLast), r.Pick(kFirst), "", "", "", "XX",
                  "1" + Digits(r, 9));
            w.Seg("PRV", "PE", "PXC", r.Pick(kTaxonomy));
          }
          if (r.Chance(20)) {
            w.Seg("NM1", "DN", "1", r.Pick(kLast), r.Pick(kFirst), "", "", "", "XX",
                  "1" + Digits(r, 9));
          }
          for (int l = 0; l < lines; ++l) {
            w.Seg("LX", l + 1);
            const int units = r.Between(1, 3);
            w.Seg("SV1", std::string("HC:") + r.Pick(kProc) + (r.Chance(20) ? ":25" : ""),
                  Money(charges[l]), "UN", units, "", "", "1");
            w.Seg("DTP", "472", "D8", Date(r, 2022));
            if (r.Chance(25)) w.Seg("REF", "6R", Digits(r, 10));
          }
        }
      }
    }
    const std::uint64_t count = w.segments() - set_start + 1;
    w.Seg("SE", static_cast<long long>(count), control);
  }
  w.Seg("GE", sets, "1");
  w.Seg("IEA", "1", "000000001");
}

void Generate835(Writer& w, Random& r, std::uint64_t target) {
  w.Seg(Isa(2));
  w.Seg("GS", "HP", "PAYERGATEWAY", "CLEARINGHOUSE", "20230105", "1405", "2", "X", "005010X221A1");
  int sets = 0;
  long long claim_no = 0;
  while (w.bytes() < target) {
    ++sets;
    char control[16];
    std::snprintf(control, sizeof control, "%04d", sets);
    const std::uint64_t set_start = w.segments();
    w.Seg("ST", "835", control);
    const long long paid = r.Between(1000, 900000) * 100;
    w.Seg("BPR", "I", Money(paid), "C", "ACH", "CCP", "01", Digits(r, 9), "DA", Digits(r, 10),
          "1" + Digits(r, 9), "", "01", Digits(r, 9), "DA", Digits(r, 10), Date(r, 2023));
    w.Seg("TRN", "1", Digits(r, 12), "1" + Digits(r, 9));
    w.Seg("DTM", "405", Date(r, 2023));
    w.Seg("N1", "PR", r.Pick(kPayer));
    Address(w, r);
    w.Seg("PER", "BL", "PROVIDER SERVICES", "TE", Digits(r, 10));
    w.Seg("N1", "PE", std::string(r.Pick(kLast)) + " MEDICAL GROUP", "XX", "1" + Digits(r, 9));
    Address(w, r);
    w.Seg("REF", "TJ", Digits(r, 9));
    int claims_in_set = 0;
    int lx = 0;
    while (claims_in_set < 5000 && w.bytes() < target) {
      w.Seg("LX", ++lx);
      const int claims = r.Between(5, 60);
      for (int c = 0; c < claims && w.bytes() < target; ++c) {
        ++claim_no;
        ++claims_in_set;
        const int lines = r.Between(1, 6);
        long long charge[6], allowed[6];
        long long total = 0, total_paid = 0;
        for (int l = 0; l < lines; ++l) {
          charge[l] = r.Between(15, 450) * 100;
          allowed[l] = charge[l] * r.Between(40, 100) / 100;
          total += charge[l];
          total_paid += allowed[l];
        }
        const long long patient = total_paid / 5;
        w.Seg("CLP", "PCN" + std::to_string(claim_no), r.Chance(90) ? "1" : "4", Money(total),
              Money(total_paid - patient), Money(patient), "MC", Digits(r, 14), "11", "1");
        if (patient > 0) w.Seg("CAS", "PR", "2", Money(patient));
        w.Seg("NM1", "QC", "1", r.Pick(kLast), r.Pick(kFirst), "", "", "", "MI",
              Digits(r, 9) + "A");
        if (r.Chance(50)) {
          w.Seg("NM1", "82", "1", r.Pick(kLast), r.Pick(kFirst), "", "", "", "XX",
                "1" + Digits(r, 9));
        }
        w.Seg("DTM", "050", Date(r, 2022));
        for (int l = 0; l < lines; ++l) {
          w.Seg("SVC", std::string("HC:") + r.Pick(kProc), Money(charge[l]), Money(allowed[l]), "",
                r.Between(1, 3));
          w.Seg("DTM", "472", Date(r, 2022));
          if (charge[l] > allowed[l]) {
            w.Seg("CAS", "CO", r.Pick(kCarc), Money(charge[l] - allowed[l]));
          }
          w.Seg("REF", "6R", Digits(r, 10));
          w.Seg("AMT", "B6", Money(allowed[l]));
          if (r.Chance(20)) w.Seg("LQ", "HE", r.Pick(kRarc));
        }
      }
    }
    if (r.Chance(30)) w.Seg("PLB", "1" + Digits(r, 9), "20231231", "WO:" + Digits(r, 8), "-125");
    const std::uint64_t count = w.segments() - set_start + 1;
    w.Seg("SE", static_cast<long long>(count), control);
  }
  w.Seg("GE", sets, "2");
  w.Seg("IEA", "1", "000000002");
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 4) {
    std::fprintf(stderr, "usage: gen_x12 837p|835 SIZE_MB OUTPUT [--seed N] [--newlines]\n");
    return 2;
  }
  const std::string type = argv[1];
  const double megabytes = std::atof(argv[2]);
  std::uint64_t seed = 1;
  bool newlines = false;
  for (int i = 4; i < argc; ++i) {
    if (std::strcmp(argv[i], "--seed") == 0 && i + 1 < argc) {
      seed = std::strtoull(argv[++i], nullptr, 10);
    } else if (std::strcmp(argv[i], "--newlines") == 0) {
      newlines = true;
    }
  }
  if ((type != "837p" && type != "835") || megabytes <= 0) {
    std::fprintf(stderr, "gen_x12: unknown type or size\n");
    return 2;
  }
  std::FILE* out = std::fopen(argv[3], "wb");
  if (out == nullptr) {
    std::perror(argv[3]);
    return 1;
  }
  const auto target = static_cast<std::uint64_t>(megabytes * 1024 * 1024);
  Random random(seed);
  std::uint64_t bytes = 0, segments = 0;
  {
    Writer w(out, newlines);
    if (type == "837p") {
      Generate837(w, random, target);
    } else {
      Generate835(w, random, target);
    }
    w.Flush();
    bytes = w.bytes();
    segments = w.segments();
  }
  const bool ok = std::fclose(out) == 0;
  std::printf("%s: %llu bytes, %llu segments\n", argv[3], static_cast<unsigned long long>(bytes),
              static_cast<unsigned long long>(segments));
  return ok ? 0 : 1;
}
