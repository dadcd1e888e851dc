// The zt7kit C API as a host calls it: null pointers, bad and special files, odd names and
// texts, reasons that belong to their call, cancelling, and eight threads at once.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <functional>
#include <ostream>
#include <string>
#include <thread>
#include <vector>

#include "support/dyn_reference.h"
#include "support/frames_reference.h"
#include "support/hkl_text.h"
#include "support/temp_folder.h"
#include "zt7kit.h"

namespace {

// What one call gave: its status, its main text and its message, all freed.
struct Answer {
  zt7kit_status status;
  std::string text, message;

  bool operator==(const Answer&) const = default;
};

void PrintTo(const Answer& answer, std::ostream* out) {
  *out << "{" << answer.status << ", \"" << answer.text << "\", \"" << answer.message << "\"}";
}

std::string Take(char* text) {
  std::string copy = text ? text : "";
  zt7kit_free(text);
  return copy;
}

using Call = std::function<zt7kit_status(char** text, char** message)>;

Answer Ask(const Call& call) {
  char *text = nullptr, *message = nullptr;
  const zt7kit_status status = call(&text, &message);
  Answer answer{status, Take(text), ""};
  answer.message = Take(message);
  return answer;
}

// A writer that keeps what it is given.
int Keep(const char* bytes, size_t length, void* into) {
  static_cast<std::string*>(into)->append(bytes, length);
  return 0;
}

class KitApi : public ::testing::Test {
 protected:
  void SetUp() override {
    std::filesystem::create_directory(folder / "frames");
    for (int i = 1; i <= 4; ++i)
      names.push_back(folder.MakeFile("frames/" + std::to_string(i) + ".img",
                                      std::string(300 * i, char('a' + i))));
    for (std::string& name : names) name = name.substr(name.rfind('/') + 1);
    frames = frames_reference::FramesDigest(folder / "frames", names);
    first = frames.substr(0, frames.find(','));
    second = frames.substr(frames.find(',') + 1);
    hkl = folder.MakeFile("a.hkl", hkl_test::JoinLines(hkl_test::SteppedReflections(150)));
  }

  zodu::testing::TempFolder folder;
  std::vector<std::string> names;
  std::string frames, first, second, hkl;
};

TEST_F(KitApi, EveryNullPointerIsRefusedWithTheArgumentsName) {
  const double cell[6] = {1, 2, 3, 90, 90, 90};
  const char* const none = nullptr;
  const std::vector<std::pair<std::string, Call>> calls = {
      {"text", [](char** t, char** m) { return zt7kit_info(nullptr, 0, t, m); }},
      {"folder", [](char** t, char** m) { return zt7kit_digest_frames(nullptr, "*", t, m); }},
      {"first part",
       [](char**, char** m) {
         return zt7kit_check_frames("/", "*", nullptr, nullptr, nullptr, m);
       }},
      {"HKL file",
       [](char** t, char** m) { return zt7kit_digest_hkl("/", "*", nullptr, "x", "y", 0, t, m); }},
      {"new HKL file",
       [](char** t, char** m) { return zt7kit_update_hkl("/a", nullptr, "x", "y", t, m); }},
      {"HKL file",
       [](char**, char** m) { return zt7kit_check_hkl(nullptr, "x", "y", nullptr, m); }},
      {"path or reflections",
       [](char**, char** m) {
         return zt7kit_check_refs(nullptr, nullptr, 5, "x", "y", nullptr, m);
       }},
      {"distance", [](char**, char** m) { return zt7kit_match_hkl("/a", "/b", nullptr, m); }},
      {"cell", [](char**, char** m) { return zt7kit_check_cell(nullptr, m); }},
      {"second frames part",
       [](char** t, char** m) { return zt7kit_digest_dyn("/", "*", "/f", "x", nullptr, t, m); }},
      {"digest", [](char**, char** m) { return zt7kit_check_dyn("/f", nullptr, m); }},
      {"writer", [](char**, char** m) { return zt7kit_dyn_loop("/f", nullptr, nullptr, m); }},
      {"folder",
       [](char** t, char** m) {
         return zt7kit_seal(nullptr, nullptr, 0, 0, 1, nullptr, nullptr, t, t, m);
       }},
      {"folder given at 1",
       [&none](char** t, char** m) {
         const char* folders[] = {"/", none};
         return zt7kit_verify(folders, 2, 1, 0, nullptr, nullptr, t, t, m);
       }},
      {"selection",
       [](char** t, char** m) {
         return zt7kit_verify_selection(nullptr, 1, 0, nullptr, nullptr, t, t, m);
       }},
      {"selection",
       [](char** t, char** m) {
         return zt7kit_seal_selection(nullptr, nullptr, 0, 0, 1, nullptr, nullptr, t, t, m);
       }},
      {"folders given (a null pointer) for a count of 2",
       [](char** t, char** m) {
         const zt7kit_selection selection{nullptr, 2,       nullptr, nullptr,
                                          0,       nullptr, nullptr, nullptr};
         return zt7kit_verify_selection(&selection, 1, 0, nullptr, nullptr, t, t, m);
       }},
      {"paths", [](char** t, char** m) { return zt7kit_merge_reports(nullptr, 1, t, t, m); }},
      {"report given at 0",
       [&none](char** t, char** m) { return zt7kit_merge_reports(&none, 1, t, t, m); }},
      {"path", [](char**, char** m) { return zt7kit_replace_file(nullptr, "x", 1, m); }},
      {"bytes given",
       [this](char**, char** m) { return zt7kit_replace_file(hkl.c_str(), nullptr, 3, m); }},
      {"path and no bytes",
       [](char** t, char** m) { return zt7kit_check_cif(nullptr, nullptr, 0, t, t, t, m); }},
      {"writer",
       [](char**, char** m) {
         return zt7kit_cif_json("/f", nullptr, 0, nullptr, nullptr, nullptr, m);
       }},
      {"output file and no writer",
       [](char**, char** m) {
         return zt7kit_format_cif("/f", nullptr, 0, "", nullptr, nullptr, nullptr, m);
       }},
      {"output file and no writer",
       [](char**, char** m) {
         return zt7kit_format_cif("/f", nullptr, 0, nullptr, nullptr, nullptr, nullptr, m);
       }},
  };
  for (const auto& [name, call] : calls) {
    const Answer answer = Ask(call);
    EXPECT_EQ(answer.status, ZT7KIT_REFUSED) << name;
    EXPECT_NE(answer.message.find("no " + name), std::string::npos) << answer.message;
  }
  // The message itself may be left out; a cell of NaN is no test crystal, not a crash.
  EXPECT_EQ(zt7kit_check_cell(nullptr, nullptr), ZT7KIT_REFUSED);
  EXPECT_EQ(zt7kit_check_cell(cell, nullptr), ZT7KIT_MISMATCH);
}

// What is no regular file is refused before anything is opened: no wait on a FIFO, no
// endless read of a device; a missing, empty or overlong name gets its reason too.
TEST_F(KitApi, BadFilesAreRefusedWithAReason) {
  ASSERT_EQ(mkfifo((folder / "fifo").c_str(), 0600), 0);
  const std::vector<std::string> paths = {folder / "fifo",
                                          folder.path(),
                                          "/dev/zero",
                                          folder / "none",
                                          "",
                                          std::string(70000, 'x'),
                                          folder / "\xff\xfe-none.hkl"};
  for (const std::string& bad : paths) {
    const char* p = bad.c_str();
    const std::vector<Call> calls = {
        [&](char**, char** m) { return zt7kit_check_hkl(p, "x", nullptr, nullptr, m); },
        [&](char** t, char** m) {
          return zt7kit_digest_hkl((folder / "frames").c_str(), "*.img", p, first.c_str(),
                                   second.c_str(), 0, t, m);
        },
        [&](char** t, char** m) {
          return zt7kit_update_hkl(hkl.c_str(), p, nullptr, nullptr, t, m);
        },
        [&](char**, char** m) {
          double distance;
          return zt7kit_match_hkl(hkl.c_str(), p, &distance, m);
        },
        [&](char**, char** m) { return zt7kit_check_dyn(p, "62abc", m); },
        [&](char**, char** m) {
          return zt7kit_check_refs(p, nullptr, 0, "x", nullptr, nullptr, m);
        },
        [&](char**, char** m) {
          std::string out;
          return zt7kit_dyn_loop(p, Keep, &out, m);
        },
        [&](char** t, char** m) { return zt7kit_check_cif(p, nullptr, 0, nullptr, nullptr, t, m); },
        [&](char**, char** m) {
          std::string out;
          return zt7kit_cif_json(p, nullptr, 0, Keep, &out, nullptr, m);
        },
        [&](char**, char** m) {
          std::string out;
          return zt7kit_format_cif(p, nullptr, 0, nullptr, Keep, &out, nullptr, m);
        },
    };
    for (size_t i = 0; i < calls.size(); ++i) {
      const Answer answer = Ask(calls[i]);
      EXPECT_EQ(answer.status, ZT7KIT_REFUSED) << i << " " << bad.substr(0, 80);
      EXPECT_FALSE(answer.message.empty()) << i << " " << bad.substr(0, 80);
    }
  }
}

// A name that is not UTF-8 names its file like any other; the digest is the one that the
// independent computation gives for those bytes.
TEST_F(KitApi, NamesThatAreNotUtf8AreTakenAsTheirBytes) {
  const std::string odd = folder / "fr\xe9mes\xff";
  std::filesystem::create_directory(odd);
  for (const std::string& name : names)
    std::filesystem::copy_file(folder / ("frames/" + name), odd + "/" + name);
  const Answer made =
      Ask([&](char** t, char** m) { return zt7kit_digest_frames(odd.c_str(), "*.IMG", t, m); });
  EXPECT_EQ(made, (Answer{ZT7KIT_OK, frames, ""}));
}

// Each outcome gives its status and the library's own reason for that call.
TEST_F(KitApi, StatusesAndReasonsAreTheCallsOwn) {
  const std::string frameFolder = folder / "frames";
  const std::string wrongSecond = second.substr(0, 2) + std::string(second.size() - 2, '0');
  const std::string loopFile = folder.MakeFile(
      "r.cif_od", dyn_reference::LoopCif(dyn_reference::kColumns, dyn_reference::Rows(100)));
  const std::string loop =
      dyn_reference::LoopDigest(dyn_reference::kColumns, dyn_reference::Rows(100));
  const std::string noLoop = folder.MakeFile("n.cif_od", "data_x\n_a 1\n");
  int code = -1;
  const struct {
    const char* what;
    Call call;
    Answer expected;
  } rows[] = {
      {"frames digest",
       [&](char** t, char** m) { return zt7kit_digest_frames(frameFolder.c_str(), "*.img", t, m); },
       {ZT7KIT_OK, frames, ""}},
      {"too few frames",
       [&](char** t, char** m) { return zt7kit_digest_frames(frameFolder.c_str(), "*.tif", t, m); },
       {ZT7KIT_REFUSED, "", "Too few frames"}},
      {"second part wrong",
       [&](char**, char** m) {
         return zt7kit_check_frames(frameFolder.c_str(), "*.img", first.c_str(),
                                    wrongSecond.c_str(), &code, m);
       },
       {ZT7KIT_MISMATCH, "",
        "frames digest part 2 does not match the frames in '" + frameFolder + "'"}},
      {"HKL without a digest",
       [&](char**, char** m) { return zt7kit_check_hkl(hkl.c_str(), nullptr, nullptr, &code, m); },
       {ZT7KIT_MISMATCH, "", "no first digest part, or one shorter than 11 characters"}},
      {"empty reflection text",
       [&](char**, char** m) {
         return zt7kit_check_refs(nullptr, "", 0, "43x", nullptr, &code, m);
       },
       {ZT7KIT_MISMATCH, "", "0 lines: too few to validate (at least 100)"}},
      {"key version 4",
       [&](char** t, char** m) {
         return zt7kit_digest_hkl(frameFolder.c_str(), "*.img", hkl.c_str(), first.c_str(),
                                  second.c_str(), 4, t, m);
       },
       {ZT7KIT_REFUSED, "", "no key version 4 (1, 2 or 3)"}},
      {"DYN of a loop",
       [&](char** t, char** m) {
         return zt7kit_digest_dyn(frameFolder.c_str(), "*.img", loopFile.c_str(), first.c_str(),
                                  second.c_str(), t, m);
       },
       {ZT7KIT_OK, loop, ""}},
      {"DYN check",
       [&](char**, char** m) { return zt7kit_check_dyn(noLoop.c_str(), loop.c_str(), m); },
       {ZT7KIT_MISMATCH, "",
        "the first block has no _refln loop of at least 100 rows with the columns "
        "_refln_index_h, _k, _l, _refln_intensity_meas and _sigma"}},
      {"info of 'az'",
       [&](char** t, char** m) { return zt7kit_info("az", 2, t, m); },
       {ZT7KIT_OK, "12", ""}},  // ('z' - 'a') / 2, by hand
  };
  for (const auto& row : rows) EXPECT_EQ(Ask(row.call), row.expected) << row.what;
}

// A huge text is read and judged like any other.
TEST_F(KitApi, HugeTextsAreJudged) {
  const std::string huge(16 << 20, 'x');
  int code = -1;
  EXPECT_EQ(Ask([&](char**, char** m) {
              return zt7kit_check_refs(nullptr, huge.data(), huge.size(), "43abcdefghijk", nullptr,
                                       &code, m);
            }),
            (Answer{ZT7KIT_MISMATCH, "", "1 lines: too few to validate (at least 100)"}));
}

// What a CIF check tells of each text: its status (lost or not, read or not), the counts,
// and each finding where it lies; a warning of the reader comes in the message.
TEST_F(KitApi, CifCheckCountsAndNamesWhatWasLost) {
  const std::string counts = "-: CIF 1.1, blocks 1, save frames 0, items ";
  const struct {
    std::string text;
    zt7kit_status status;
    std::string summary, findings, message;
  } cases[] = {
      {"data_x\n_a 1\n_b 'x y'\nloop_\n_c_p\n_c_q\n1 2\n3 4\n", ZT7KIT_OK,
       counts + "2, loops 1, loop rows 2", "", ""},
      {"#\\#CIF_2.0\ndata_x\n_l [1 [2 3] 'a b' []]\n_e {}\n", ZT7KIT_OK,
       "-: CIF 2.0, blocks 1, save frames 0, items 2, loops 0, loop rows 0", "", ""},
      {"data_x\n_a 1\ndata_X\n_b 2\n", ZT7KIT_OK,
       "-: CIF 1.1, blocks 2, save frames 0, items 2, loops 0, loop rows 0", "",
       "Duplicate CIF data name 'X' auto renaming...\nNew name: X1"},
      // Read whole though not UTF-8: a finding, but nothing lost.
      {"data_x\n_a 'M\xe8'\n_b 2\n_c 3\n", ZT7KIT_OK, counts + "3, loops 0, loop rows 0",
       "-:2:6: not UTF-8 from 2:6, read as ISO 8859-1\n", ""},
      {"data_x\n_a 1\n2\n", ZT7KIT_MISMATCH, counts + "1, loops 0, loop rows 0",
       "-:3:1: value without a name, skipped: 2\n", ""},
      // A reading that fails says so in the reader's words, where the fault lies.
      {"data_x\n_a 1\nloop_\n_b_1\n_b_2\n1 2\n3\n", ZT7KIT_REFUSED, "", "-:3:1: invalid table _b\n",
       ""},
  };
  for (const auto& c : cases) {
    char *json = nullptr, *summary = nullptr, *findings = nullptr, *message = nullptr;
    EXPECT_EQ(zt7kit_check_cif(nullptr, c.text.data(), c.text.size(), &json, &summary, &findings,
                               &message),
              c.status)
        << c.text;
    EXPECT_EQ(Take(summary), c.summary) << c.text;
    EXPECT_EQ(Take(findings), c.findings) << c.text;
    EXPECT_EQ(Take(message), c.message) << c.text;
    const char* lost = c.status == ZT7KIT_OK ? "\"lost\": false" : "\"lost\": true";
    EXPECT_NE(Take(json).find(c.status == ZT7KIT_REFUSED ? "\"read\": false" : lost),
              std::string::npos)
        << c.text;
  }
}

// What format-cif writes (what may change: spacing, empty comments, the encoding) and what
// it refuses, naming the first thing that would change or that the reading lost.
TEST_F(KitApi, CifFormatWritesWhatReadsBackTheSame) {
  const std::string name(34, ' ');
  auto named = [&](const std::string& item) { return item + name.substr(item.size()); };
  const std::string change = "writing it back would change block 'x', entry 1 ";
  const struct {
    std::string text;
    zt7kit_status status;
    std::string written;  // or the reason
  } cases[] = {
      {"#------\n# COD header\n#\ndata_x\n#\n_a 1\n", ZT7KIT_OK,
       "#------\n# COD header\ndata_x\n" + named("_a") + " 1\n"},
      {"data_x\n_a 1 # c\n_e\n;\n;\n", ZT7KIT_OK, "data_x\n" + named("_a") + " 1\n# c\n_e\n;\n;\n"},
      {"#\\#CIF_2.0\ndata_x\n_t {\"k\":1}\n", ZT7KIT_OK, "#\\#CIF_2.0\ndata_x\n_t { \"k\": 1}\n"},
      {"data_x\n_a \xc5ngstr\xf6m\n", ZT7KIT_OK,
       "data_x\n" + named("_a") + " \xc3\x85ngstr\xc3\xb6m\n"},
      // both quotes before blanks: a text field, which reads back as lines
      {"data_x\n_v '''a' b\" c'''\n", ZT7KIT_REFUSED, change + "'_v'"},
      {"data_x\n_q \"''x\"\n", ZT7KIT_REFUSED,
       "the written text would not read back: Failed to parse CIF because unbalanced "
       "quotation at CIF#1"},
      {"data_x\n_a 1\n2\n", ZT7KIT_REFUSED,
       "its document lacks what the file holds at line 3, column 1 (value without a name, "
       "skipped: 2)"},
  };
  for (const auto& c : cases) {
    std::string out;
    char* message = nullptr;
    EXPECT_EQ(zt7kit_format_cif(nullptr, c.text.data(), c.text.size(), nullptr, Keep, &out, nullptr,
                                &message),
              c.status)
        << c.text;
    const std::string reason = Take(message);
    EXPECT_EQ(out, c.status == ZT7KIT_OK ? c.written : "") << c.text;
    if (c.status != ZT7KIT_OK) {
      EXPECT_NE(reason.find(c.written + "; nothing written"), std::string::npos) << reason;
    }
  }
}

// CIF-JSON as drafted: arrays of strings, ? as null, . as false, names in lower case, the
// later of two entries of one name, and a warning naming the one it hides.
TEST_F(KitApi, CifJsonFollowsTheDraft) {
  const std::string cif =
      "#\\#CIF_2.0\ndata_Cell\n_Cell_length_a 5.959(1)\n_inapplicable .\n"
      "_text\n;\nfirst line\nsecond \"line\"\n;\n"
      "loop_\n_Atom_site_label\n_Atom_site_fract_x\nC1 0.5\nO\xc3\xa9 ?\n"
      "_list [1 'a b' [] ?]\n_map {'k':v \"K2\":[x]}\nloop_\n_t_a\n_t_b\n1\n;\nfield\n;\n"
      "_dup_x 1\nloop_\n_dup_x\n_dup_y\n2 3\nsave_Frame\n_in_frame 1\nsave_\ndata_empty\n";
  std::string out;
  char* message = nullptr;
  EXPECT_EQ(zt7kit_cif_json(nullptr, cif.data(), cif.size(), Keep, &out, nullptr, &message),
            ZT7KIT_OK);
  EXPECT_EQ(out,
            "{\n  \"CIF-JSON\": {\n    \"Metadata\": {\n      \"cif-version\": \"2.0\",\n"
            "      \"schema-name\": \"CIF-JSON\",\n      \"schema-version\": \"1.0.0\",\n"
            "      \"schema-uri\": \"http://www.iucr.org/resources/cif/cif-json.json\"\n    },\n"
            "    \"cell\": {\n"
            "      \"_cell_length_a\": [\"5.959(1)\"],\n"
            "      \"_inapplicable\": [false],\n"
            "      \"_text\": [\"first line\\nsecond \\\"line\\\"\"],\n"
            "      \"_atom_site_label\": [\"C1\", \"O\xc3\xa9\"],\n"
            "      \"_atom_site_fract_x\": [\"0.5\", null],\n"
            "      \"_list\": [[\"1\", \"a b\", [], null]],\n"
            "      \"_map\": [{\"k\": \"v\", \"K2\": [\"x\"]}],\n"
            "      \"_t_a\": [\"1\"],\n"
            "      \"_t_b\": [\"field\"],\n"
            "      \"_dup_x\": [\"2\"],\n"
            "      \"_dup_y\": [\"3\"],\n"
            "      \"Frames\": {\n"
            "        \"frame\": {\n"
            "          \"_in_frame\": [\"1\"]\n"
            "        }\n"
            "      }\n"
            "    },\n"
            "    \"empty\": {}\n  }\n}\n");
  EXPECT_EQ(Take(message),
            "warning: block 'Cell': '_dup_x' of entry 8 is hidden by the one of entry 9");
  std::string again;  // the message may be left out
  EXPECT_EQ(zt7kit_cif_json(nullptr, cif.data(), cif.size(), Keep, &again, nullptr, nullptr),
            ZT7KIT_OK);
  EXPECT_EQ(again, out);
}

// A non-zero answer of the progress callback stops a seal before its manifest is written,
// and a verification before it judges anything.
TEST_F(KitApi, ProgressCanCancel) {
  auto stop = [](uint64_t, uint64_t, size_t, size_t, void*) { return 1; };
  EXPECT_EQ(Ask([&](char** t, char** m) {
              return zt7kit_seal(folder.path().c_str(), nullptr, 0, ZT7KIT_QUIET, 1, stop, nullptr,
                                 t, t, m);
            }).status,
            ZT7KIT_ERROR);
  EXPECT_FALSE(std::filesystem::exists(folder / "zt7util-seal.txt"));
  const char* folders[] = {folder.path().c_str()};
  EXPECT_EQ(Ask([&](char** t, char** m) {
              return zt7kit_verify(folders, 1, 1, 0, stop, nullptr, t, t, m);
            }),
            (Answer{ZT7KIT_ERROR, "", "cancelled: the folders were not all checked"}));
}

// Eight threads calling every kind of function at once give what one thread gives, each
// call with its own reason.
TEST_F(KitApi, EightThreadsGiveWhatOneGives) {
  const std::string frameFolder = folder / "frames", folderText = folder.path();
  const Answer sealed = Ask([&](char** t, char** m) {
    char* summary = nullptr;
    const zt7kit_status s = zt7kit_seal(folderText.c_str(), nullptr, 0, ZT7KIT_QUIET, 2, nullptr,
                                        nullptr, t, &summary, m);
    zt7kit_free(summary);
    return s;
  });
  ASSERT_EQ(sealed.status, ZT7KIT_OK) << sealed.message;
  const std::string cif = "data_x\nloop_\n_a\n1\n2\n";
  const std::vector<Call> calls = {
      [&](char** t, char** m) { return zt7kit_digest_frames(frameFolder.c_str(), "*.img", t, m); },
      [&](char** t, char** m) { return zt7kit_digest_frames(frameFolder.c_str(), "*.tif", t, m); },
      [&](char**, char** m) {
        return zt7kit_check_hkl(hkl.c_str(), "43abcdefghijkl", nullptr, nullptr, m);
      },
      [&](char**, char** m) {
        double distance;
        return zt7kit_match_hkl(hkl.c_str(), (folder / "frames/1.img").c_str(), &distance, m);
      },
      [&](char** t, char** m) {
        const char* folders[] = {folderText.c_str()};
        char* report = nullptr;
        const zt7kit_status s = zt7kit_verify(folders, 1, 1, 0, nullptr, nullptr, t, &report, m);
        zt7kit_free(report);
        return s;
      },
      [&](char** t, char** m) {
        char *summary = nullptr, *findings = nullptr;
        const zt7kit_status s =
            zt7kit_check_cif(nullptr, cif.data(), cif.size(), t, &summary, &findings, m);
        zt7kit_free(summary);
        zt7kit_free(findings);
        return s;
      },
  };
  std::vector<Answer> serial;
  for (const Call& call : calls) serial.push_back(Ask(call));
  EXPECT_EQ(serial[0].text, frames);
  EXPECT_EQ(serial[1].message, "Too few frames");
  EXPECT_EQ(serial[2].message, "digest part 1 (scheme 3) does not match");
  EXPECT_EQ(serial[4].status, ZT7KIT_OK) << serial[4].message;
  std::vector<std::vector<Answer>> seen(8);
  std::vector<std::thread> threads;
  for (size_t t = 0; t < seen.size(); ++t)
    threads.emplace_back([&, t] {
      for (int round = 0; round < 4; ++round)
        for (size_t i = 0; i < calls.size(); ++i)
          seen[t].push_back(Ask(calls[(i + t) % calls.size()]));
    });
  for (std::thread& thread : threads) thread.join();
  for (size_t t = 0; t < seen.size(); ++t)
    for (size_t k = 0; k < seen[t].size(); ++k)
      EXPECT_EQ(seen[t][k], serial[(k % calls.size() + t) % calls.size()]) << t << " " << k;
}

}  // namespace
