#include "app/pomvelt_app.h"

int main(int argc, char** argv) {
  CPomveltApp app(argc, argv);
  return app.InitInstance();
}
