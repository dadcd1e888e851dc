/* A minimal host program: loads nothing by hand, links zt7util and calls a few exports. */
#include <stdio.h>
#include <zt7util.h>

int main(void) {
  /* The six cell parameters of the first test crystal: a, b, c, alpha, beta, gamma. */
  const double cell[6] = {5.95, 9.03, 18.38, 90.0, 90.0, 90.0};

  printf("module version: %d\n", (int)iwGetVersion());
  printf("digest scheme version: %d\n", (int)iGetKeyVersion());
  printf("info(\"az\"): %s\n", pcGetInfo("az")); /* module-owned text: never free it */
  printf("test-crystal cell: %s\n", bCheckCell(cell) ? "yes" : "no");
  return bCheckCell(cell) ? 0 : 1;
}
