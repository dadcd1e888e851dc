// The check characters that end every digest text.
#include "zt3util/check_characters.h"

#include "sdl/md5.h"

namespace zt7 {

void AppendCheckCharacters(zodu::vexcstr& digest, const zodu::vexcstr& source,
                           const size_t (&positions)[4]) {
  const zodu::vexcstr check = zodu::MD5Text(source);
  for (size_t at : positions) digest << check[at];
}

}  // namespace zt7
