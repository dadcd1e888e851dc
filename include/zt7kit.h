/* zt7kit: everything the zt7util tool does, as a C interface for programs (libzt7kit.so). */
#ifndef ZT7KIT_H
#define ZT7KIT_H

/* Conventions of every function here:
   - Paths and texts are NUL-terminated UTF-8 (`const char*`). A path is taken as the bytes
     it holds, so a file name that is not UTF-8 can still be named.
   - Each function returns a zt7kit_status and never lets an error escape.
   - Texts handed out (`char** out`) are new copies from malloc that the caller owns and
     ends with zt7kit_free. The library keeps nothing after a call returns, so a process
     may call it any number of times without growing. An output that a call does not make
     is set to NULL; every output pointer is set (to a text or NULL) whenever it is given.
   - `message` (last argument, may be NULL when the caller does not want it): for every
     status but ZT7KIT_OK, why, in one or more lines; for ZT7KIT_OK, the call's warnings
     and notes, one per line, or NULL when there are none.
   - A null pointer where a text, a path or a result is required gives ZT7KIT_REFUSED and a
     message naming the argument.
   - A file argument must be a regular file (symbolic links to one are followed); a folder,
     FIFO, device or socket is refused before anything is opened.
   - Any function may be called from any number of threads at once; no call depends on
     global state that another call sets. */

#include <stddef.h>
#include <stdint.h>

#if defined(__GNUC__)
#define ZT7KIT_EXPORT __attribute__((visibility("default")))
#else
#define ZT7KIT_EXPORT
#endif

#ifdef __cplusplus
extern "C" {
#endif

typedef enum zt7kit_status {
  ZT7KIT_OK = 0,       /* done; a check came out positive */
  ZT7KIT_MISMATCH = 1, /* done, and the data do not agree with the digest (or the cell) */
  ZT7KIT_REFUSED = 2,  /* not done: the arguments or the data do not allow it */
  ZT7KIT_ERROR = 3     /* not done: the system failed (read error, no memory, cancelled) */
} zt7kit_status;

/* The scheme versions of HKL digests: 1, 2 or 3; 0 in an argument selects the default. */
#define ZT7KIT_DEFAULT_KEY_VERSION 3

/* Progress of a seal or a verification: bytes hashed of all bytes to hash, datasets
   finished of all datasets. Called about four times a second while the work runs, from a
   thread of the call, never from two at once. A non-zero return cancels the call, which
   then gives ZT7KIT_ERROR and writes no manifest. */
typedef int (*zt7kit_progress)(uint64_t bytes_done, uint64_t bytes_total, size_t datasets_done,
                               size_t datasets_total, void* context);

/* Receives a long output a piece at a time, in order, from the calling thread. A non-zero
   return stops the call, which then gives ZT7KIT_ERROR. */
typedef int (*zt7kit_write)(const char* bytes, size_t length, void* context);

/* Frees a text handed out by this library; NULL is allowed. */
ZT7KIT_EXPORT void zt7kit_free(void* text);

/* The library's version number, 11 (the module version of the digests). */
ZT7KIT_EXPORT int32_t zt7kit_version(void);

/* The check number of `length` bytes at `text` as decimal text, as pcGetInfo gives it. */
ZT7KIT_EXPORT zt7kit_status zt7kit_info(const char* text, size_t length, char** number,
                                        char** message);

/* ---- Frames ------------------------------------------------------------------------ */

/* The frames digest "FIRST,SECOND" of the files in `folder` that match `mask` (patterns
   separated by ';' with '*' and '?', case ignored). */
ZT7KIT_EXPORT zt7kit_status zt7kit_digest_frames(const char* folder, const char* mask,
                                                 char** digest, char** message);

/* Checks a stored frames digest against the folder. `*result` gets 3 (both parts valid),
   1 (the first only) or 0. ZT7KIT_OK for 3, or for 1 when `second` is NULL; else
   ZT7KIT_MISMATCH after a completed check. `result` may be NULL. */
ZT7KIT_EXPORT zt7kit_status zt7kit_check_frames(const char* folder, const char* mask,
                                                const char* first, const char* second, int* result,
                                                char** message);

/* ---- HKL --------------------------------------------------------------------------- */

/* The HKL digest of `hkl_file` under scheme `key_version` (0: the default), issued only
   while the frames digest (`frames_first`, `frames_second`) checks out against
   `frames_folder` and `mask`: part 1, and ",part 2" when both frames parts check out. */
ZT7KIT_EXPORT zt7kit_status zt7kit_digest_hkl(const char* frames_folder, const char* mask,
                                              const char* hkl_file, const char* frames_first,
                                              const char* frames_second, int key_version,
                                              char** digest, char** message);

/* The scheme-1 digest of `new_hkl_file`, a re-processing of `old_hkl_file`, given the
   digest parts issued for the old file (`old_second` may be NULL). */
ZT7KIT_EXPORT zt7kit_status zt7kit_update_hkl(const char* old_hkl_file, const char* new_hkl_file,
                                              const char* old_first, const char* old_second,
                                              char** digest, char** message);

/* Checks an HKL file against its digest parts (`second` may be NULL); `*result` and the
   status as zt7kit_check_frames. A 1 given to an unsealed test-crystal file is ZT7KIT_OK
   when `second` is NULL and says so in `message`. */
ZT7KIT_EXPORT zt7kit_status zt7kit_check_hkl(const char* hkl_file, const char* first,
                                             const char* second, int* result, char** message);

/* Checks a reflection list, the file at `path` or, when `path` is NULL, the `length` bytes
   at `reflections`, as zt7kit_check_hkl checks a file, but with no test-crystal fallback.
   The text is taken as it is (carriage returns stay part of the lines) up to a NUL byte.
   A file of more than 1 GiB is refused. */
ZT7KIT_EXPORT zt7kit_status zt7kit_check_refs(const char* path, const char* reflections,
                                              size_t length, const char* first, const char* second,
                                              int* result, char** message);

/* The distance of two HKL files' intensity distributions (0 for the same intensities in
   any order). ZT7KIT_REFUSED with the reason when they cannot be compared. */
ZT7KIT_EXPORT zt7kit_status zt7kit_match_hkl(const char* first_hkl_file,
                                             const char* second_hkl_file, double* distance,
                                             char** message);

/* Whether the six values at `cell` (a, b, c, alpha, beta, gamma) are a standard test
   crystal's cell: ZT7KIT_OK when they are, ZT7KIT_MISMATCH when not. */
ZT7KIT_EXPORT zt7kit_status zt7kit_check_cell(const double* cell, char** message);

/* ---- DYN --------------------------------------------------------------------------- */

/* The DYN digest of a reflection file whose frames digest (both parts) checks out: a name
   ending in ".cif_od" seals the file's reflection loop ("62..."), any other the whole
   file ("61..."). */
ZT7KIT_EXPORT zt7kit_status zt7kit_digest_dyn(const char* frames_folder, const char* mask,
                                              const char* reflection_file, const char* frames_first,
                                              const char* frames_second, char** digest,
                                              char** message);

/* Checks a reflection file against its DYN digest: ZT7KIT_OK or ZT7KIT_MISMATCH. */
ZT7KIT_EXPORT zt7kit_status zt7kit_check_dyn(const char* reflection_file, const char* digest,
                                             char** message);

/* Writes the loop text that the DYN digest of a .cif_od file covers, one line and a line
   feed at a time, to `write`. ZT7KIT_REFUSED when the file has no qualifying loop. */
ZT7KIT_EXPORT zt7kit_status zt7kit_dyn_loop(const char* reflection_file, zt7kit_write write,
                                            void* context, char** message);

/* ---- Datasets ---------------------------------------------------------------------- */

/* Flags of zt7kit_seal and zt7kit_verify. */
#define ZT7KIT_FORCE 1u         /* seal: replace an existing manifest */
#define ZT7KIT_QUIET 2u         /* leave notes (skipped entries, links) out of `message` */
#define ZT7KIT_FAILURES_ONLY 4u /* verify: the JSON report leaves out the items that are OK */

/* Seals the dataset folder `folder`: writes its manifest, folder/zt7util-seal.txt, with a
   frames digest per folder of frames matching `mask` (NULL: "*.img"), the HKL digest
   (scheme `key_version`, 0: the default) of each .hkl file, the DYN digest of each
   .cif_od file and the SHA-256 of every file. Work runs on `jobs` threads (0: one per
   core); `progress` (may be NULL) sees it and can cancel.
   `json`: {"folder", "manifest", "sealed", "key-version", "counts": {"files",
   "frame-sets", "hkl-files", "reflection-files"}, "items": [{"kind", "path", "digest"}],
   "notes": [...], "warnings": [...], "errors": [...], "reason"}
   ("reason": why no manifest was written, or null).
   `summary`: "FOLDER: sealed N files (...) in MANIFEST" when sealed, else NULL.
   `message`: the notes (unless ZT7KIT_QUIET), warnings and errors, one per line, each
   naming its file; for a refusal its reason last.
   ZT7KIT_REFUSED when the folder is not one, is sealed already (without ZT7KIT_FORCE),
   cannot be written, or a file keeps it from being sealed; then no manifest is written. */
ZT7KIT_EXPORT zt7kit_status zt7kit_seal(const char* folder, const char* mask, int key_version,
                                        unsigned flags, unsigned jobs, zt7kit_progress progress,
                                        void* progress_context, char** json, char** summary,
                                        char** message);

/* Verifies `count` sealed dataset folders against their manifests on `jobs` threads (0:
   one per core); nothing is read through a symbolic link.
   `json`: the document `zt7util verify --json` prints: {"intact", "datasets": [{"folder",
   "intact", "error", "counts", "items": [{"kind", "path", "expected", "found", "status",
   "reason"}]}]}, status one of "OK", "FAILED", "MISSING", "NEW", "REFORMATTED", "ERROR".
   `report`: what `zt7util verify` prints: a line per entry that is not OK, then a summary
   line per folder.
   `message`: the notes (unless ZT7KIT_QUIET) and the reasons a folder could not be
   checked, one per line.
   ZT7KIT_OK when every folder is intact, ZT7KIT_MISMATCH when not (the reports say which
   item and why); ZT7KIT_REFUSED only for a missing argument or no folder. */
ZT7KIT_EXPORT zt7kit_status zt7kit_verify(const char* const* folders, size_t count, unsigned jobs,
                                          unsigned flags, zt7kit_progress progress,
                                          void* progress_context, char** json, char** report,
                                          char** message);

/* The dataset folders a seal or a verification works on: those named one by one, then
   those of a list, each folder (by its resolved path) once; a second naming is a note.
   Relative paths are taken from the current folder. */
typedef struct zt7kit_selection {
  const char* const* folders; /* `count` folders, reported as given; NULL when count is 0 */
  size_t count;
  /* A list of folders, one per line (blank lines skipped, a carriage return before the
     line feed dropped): the file `list`, or when `list` is NULL and `list_bytes` is not,
     the `list_length` bytes there (named "-"). Its folders are reported by their resolved
     paths, so that reports made on different nodes name them alike. */
  const char* list;
  const char* list_bytes;
  size_t list_length;
  /* "K/N" (0 <= K < N): only the folders that fall to shard K of N: the first eight bytes
     of the SHA-256 of the folder's resolved path, big-endian, modulo N. NULL: all. */
  const char* shard;
  /* verify only, at most one of them: the SHA-256 (as sha256sum gives it) that the
     manifest of the one folder must have; or a file of "SHA256  FOLDER" lines, as seal
     prints them, matched by resolved path. A manifest that differs, or a folder with no
     line, is not verified. */
  const char* expect;
  const char* expect_from;
} zt7kit_selection;

/* Seals the folders of `selection` as zt7kit_seal seals one; when it names more than one
   folder or a list, a folder that has a manifest already is skipped with a note (unless
   ZT7KIT_FORCE). `json`: an array of zt7kit_seal's objects, one per folder, each with
   "skipped" and "manifest-sha256". `summary`: per folder sealed, its summary line and then
   "SHA256  FOLDER", the manifest's SHA-256 and the resolved folder, for the keeper to store
   elsewhere. ZT7KIT_OK when every folder was sealed or skipped; else the status of the
   first that was not (ZT7KIT_REFUSED, or ZT7KIT_ERROR), the others done still. */
ZT7KIT_EXPORT zt7kit_status zt7kit_seal_selection(const zt7kit_selection* selection,
                                                  const char* mask, int key_version, unsigned flags,
                                                  unsigned jobs, zt7kit_progress progress,
                                                  void* progress_context, char** json,
                                                  char** summary, char** message);

/* Verifies the folders of `selection` as zt7kit_verify does. The JSON report has, after
   "intact", "run": {"tool", "list" (SHA-256 of the resolved folders, sorted, one per
   line), "listed" (folders in all shards), "shard", "shards", "failures-only"}, which
   zt7kit_merge_reports checks; ZT7KIT_FAILURES_ONLY leaves out the items that are OK (the
   counts stay whole). A shard that no folder falls to gives an empty report and
   ZT7KIT_OK. ZT7KIT_REFUSED for a selection that cannot be read or is not well formed. */
ZT7KIT_EXPORT zt7kit_status zt7kit_verify_selection(const zt7kit_selection* selection,
                                                    unsigned jobs, unsigned flags,
                                                    zt7kit_progress progress,
                                                    void* progress_context, char** json,
                                                    char** report, char** message);

/* Merges the JSON reports of an audit's shards, the files at `paths`. `json`: the document
   of zt7kit_verify_selection with the datasets of every shard, sorted by folder, and
   "shards": {"count", "present": [K...], "missing": [K...]}. `report`: a line per item
   that is not OK and a summary per dataset, "shard K of N missing" per missing shard, and
   the audit's summary. ZT7KIT_OK when every shard is present and every dataset intact;
   ZT7KIT_MISMATCH when a dataset is not intact or a shard is missing (`message` names the
   missing shards); ZT7KIT_REFUSED, with no report and `message` naming the files, for a
   report that is cut short, of another list, run or tool version, or a shard given twice. */
ZT7KIT_EXPORT zt7kit_status zt7kit_merge_reports(const char* const* paths, size_t count,
                                                 char** json, char** report, char** message);

/* Writes `length` bytes at `bytes` to the file `path` whole: to a new file beside it that
   then takes its place (an existing regular file is replaced), so that a reader never sees
   part of it. ZT7KIT_REFUSED for a path that is a folder, link or device. */
ZT7KIT_EXPORT zt7kit_status zt7kit_replace_file(const char* path, const char* bytes, size_t length,
                                                char** message);

/* ---- CIF --------------------------------------------------------------------------- */

/* Every CIF function reads the file at `path`, or, when `path` is NULL, the `length`
   bytes at `bytes` (then named "-"). `findings` gets one line per place where the
   document differs from the text, "FILE:LINE:COLUMN: text" (the first 1000; NULL when
   there are none); `message` the reader's warnings, one per line, then for a refusal the
   reason. */

/* Reads a CIF and tells what it holds. `json`: the object `zt7util check-cif --json`
   prints for the file: {"file", "read", "lost", "cif-version", "blocks", "save-frames",
   "items", "loops", "loop-rows" (those six when read), "error" (when not), "findings":
   [{"line", "column", "kind", "lost", "message"}], "findings-not-shown", "log": [...]}.
   `summary`: "FILE: CIF 1.1, blocks N, save frames N, items N, loops N, loop rows N", or
   NULL when it could not be read.
   ZT7KIT_OK when read and nothing was lost, ZT7KIT_MISMATCH when read but something of
   the text did not reach the document, ZT7KIT_REFUSED when it could not be read. */
ZT7KIT_EXPORT zt7kit_status zt7kit_check_cif(const char* path, const char* bytes, size_t length,
                                             char** json, char** summary, char** findings,
                                             char** message);

/* Writes the CIF document as CIF-JSON (UTF-8, ending in a line feed) to `write`: every
   value an array of strings, unquoted ? as null and unquoted . as false, block, frame and
   data names in lower case; a name given twice in a block is written once (the later
   entry) and a "warning: " line of `message` names the one it hides. ZT7KIT_REFUSED when
   it could not be read. */
ZT7KIT_EXPORT zt7kit_status zt7kit_cif_json(const char* path, const char* bytes, size_t length,
                                            zt7kit_write write, void* context, char** findings,
                                            char** message);

/* Writes the CIF document back in the library's CIF layout: to the file `output`, which
   is replaced only once the new text is complete (it may name `path`), or, when `output`
   is NULL or empty, to `write`. Refused, with nothing written, when the reading lost anything or
   the written text would read back as another document; `message` names the first such
   place. */
ZT7KIT_EXPORT zt7kit_status zt7kit_format_cif(const char* path, const char* bytes, size_t length,
                                              const char* output, zt7kit_write write, void* context,
                                              char** findings, char** message);

#ifdef __cplusplus
} /* extern "C" */
#endif

#endif /* ZT7KIT_H */
