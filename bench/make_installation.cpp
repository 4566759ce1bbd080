// Writes a synthetic installation pair for the benchmark: N user files in
// nested folders of an old installation, with folds like the samples', and
// a new installation with its system files and templates.
//   make_installation DRIVE-ROOT N
// or one large program for timing the fold check alone:
//   make_installation --fold-file FILE MEGABYTES

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

namespace fs = std::filesystem;

namespace {

void Write(const fs::path& path, const std::string& text) {
  fs::create_directories(path.parent_path());
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out << text;
}

std::string Lines(std::initializer_list<const char*> lines) {
  std::string text;
  for (const char* line : lines) text += std::string(line) + "\r\n";
  return text;
}

// A program of about 3 KB: a template fold, a customer fold, moves. The
// template (number 0) is of the new version: its folds differ from the old
// programs', so that every exchange rewrites its target.
std::string Program(int number) {
  std::string text = "DEF PROG" + std::to_string(number) + " ( )\r\n";
  text += Lines({";FOLD INI", "  ;FOLD SYSTEM INI",
                 number == 0 ? "    INTERRUPT ON 4" : "    INTERRUPT ON 3", "    INIT_MOTION()",
                 "  ;ENDFOLD (SYSTEM INI)", "  ;FOLD USER INI", "    ; customer's settings",
                 "  ;ENDFOLD (USER INI)", ";ENDFOLD (INI)"});
  for (int move = 0; move < 40; ++move)
    text += ";FOLD USER MOVE " + std::to_string(move) + "\r\n  LIN P" + std::to_string(move) +
            " VEL=0.5 CPDAT" + std::to_string(move) + "\r\n;ENDFOLD\r\n";
  text += Lines({";FOLD PTP HOME", number == 0 ? "SET_FRAME(FHOME2)" : "SET_FRAME(FHOME)",
                 "PTP  HOME", ";ENDFOLD", "END"});
  return text;
}

std::string Data(int number) {
  std::string text = "DEFDAT PROG" + std::to_string(number) + "\r\n";
  text += Lines({";FOLD EXTERNAL DECLARATIONS", ";FOLD SYSTEM EXT",
                 number == 0 ? "EXT  INIT_MOTION ( INT:IN )" : "EXT  INIT_MOTION ( )",
                 ";ENDFOLD (SYSTEM EXT)", ";FOLD USER EXT", ";ENDFOLD (USER EXT)",
                 ";ENDFOLD (EXTERNAL DECLARATIONS)"});
  for (int point = 0; point < 30; ++point)
    text += "DECL POS XP" + std::to_string(point) + "={X " + std::to_string(1000 + point) +
            ".5,Y 12.0,Z 850.0,A 0.0,B 90.0,C 0.0}\r\n";
  return text + "ENDDAT\r\n";
}

// A large program of the old version: most of its folds are template
// folds that the exchange replaces.
int WriteExchangeFile(const fs::path& path, long megabytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  std::string block;
  for (int move = 0; move < 100; ++move) {
    block += ";FOLD PTP HOME\r\nSET_FRAME(FHOME)\r\nPTP  HOME\r\n;ENDFOLD\r\n";
    block += ";FOLD USER MOVE " + std::to_string(move) + "\r\n";
    for (int line = 0; line < 20; ++line)
      block += "  LIN P1 VEL=0.5 CPDAT1 ; a move of the customer's program\r\n";
    block += ";ENDFOLD\r\n";
  }
  for (long written = 0; written < megabytes * 1000000; written += static_cast<long>(block.size()))
    out << block;
  return out ? 0 : 1;
}

int WriteFoldFile(const fs::path& path, long megabytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  std::string block;
  for (int move = 0; move < 1000; ++move) {
    block += ";FOLD USER MOVE " + std::to_string(move) + "\r\n";
    for (int line = 0; line < 20; ++line)
      block += "  LIN P1 VEL=0.5 CPDAT1 ; a move of the customer's program\r\n";
    block += ";ENDFOLD\r\n";
  }
  for (long written = 0; written < megabytes * 1000000; written += static_cast<long>(block.size()))
    out << block;
  return out ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc == 4 && std::string(argv[1]) == "--fold-file")
    return WriteFoldFile(argv[2], std::atol(argv[3]));
  if (argc == 4 && std::string(argv[1]) == "--exchange-file")
    return WriteExchangeFile(argv[2], std::atol(argv[3]));
  if (argc != 3 && argc != 4) {
    std::fprintf(stderr, "usage: make_installation DRIVE-ROOT N [nested|flat|deep]\n");
    return 2;
  }
  fs::path drive = argv[1];
  int count = std::atoi(argv[2]);
  std::string shape = argc == 4 ? argv[3] : "nested";
  fs::path old = drive / "QVD_OLDINST/QVD/R1";
  fs::path fresh = drive / "QVD/ROBOTER/QVD/R1";
  fs::path templates = drive / "QVD/ROBOTER/Template";

  std::string sps = Lines({"DEF  SPS ( )", ";FOLD USER DECL", "DECL INT COUNT", ";ENDFOLD (USER DECL)",
                           "LOOP", ";FOLD USER PLC", "COUNT=COUNT+1", ";ENDFOLD (USER PLC)",
                           "ENDLOOP", "END"});
  std::string stop = Lines({"DEF IR_STOPM ( )", ";FOLD USER STOP", "OUTPUT[41]=FALSE",
                            ";ENDFOLD (USER STOP)", "END"});
  std::string config = Lines({"DEFDAT  $CONFIG PUBLIC", ";FOLD USER GLOBALS", "DECL INT PARTS=1",
                              ";ENDFOLD (USER GLOBALS)",
                              "BASE_DATA[1]={X 1.0,Y 2.0,Z 3.0,A 0.0,B 0.0,C 0.0}", "ENDDAT"});
  for (const fs::path& root : {old, fresh}) {
    Write(root / "System/SPS.SUB", sps);
    Write(root / "System/IR_STOPM.SRC", stop);
    Write(root / "System/$CONFIG.DAT", config);
  }
  Write(old / "Mada/$machine.dat", "DEFDAT  $MACHINE PUBLIC\r\nENDDAT\r\n");
  Write(templates / "Vorgabe.src", Program(0));
  Write(templates / "Vorgabe.dat", Data(0));
  fs::create_directories(drive / "QVD/ROBOTER/LOG");

  // nested: ten files a folder, folders nested three deep under Program;
  // flat: every file in one folder; deep: one file in each of N folders,
  // each inside the one before.
  fs::path deep = old / "Program";
  for (int i = 0; i < count; ++i) {
    int folder = i / 10;
    fs::path dir = old / "Program" / ("Cell" + std::to_string(folder / 100)) /
                   ("Line" + std::to_string(folder / 10 % 10)) / ("Station" + std::to_string(folder % 10));
    if (shape == "flat") dir = old / "Program" / "All";
    if (shape == "deep") dir = deep = deep / ("L" + std::to_string(i));
    std::string name = "prog" + std::to_string(i);
    switch (i % 10) {
      case 9: Write(dir / (name + ".sub"), sps); break;
      case 1: case 3: case 5: case 7: Write(dir / (name + ".dat"), Data(i)); break;
      default: Write(dir / (name + ".src"), Program(i));
    }
  }
  return 0;
}
