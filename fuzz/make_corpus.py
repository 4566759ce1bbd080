#!/usr/bin/env python3
"""Writes the seed corpora of fuzz/corpus/ from the sample installations and
the shipped control files. Run again after the samples change."""
import pathlib
import shutil

ROOT = pathlib.Path(__file__).resolve().parent.parent
OLD = ROOT / "examples/drive_c/QVD_OLDINST/QVD/R1"
NEW = ROOT / "examples/drive_c/QVD/ROBOTER/QVD/R1"
TEMPLATE = ROOT / "examples/drive_c/QVD/ROBOTER/Template"
CONTROL = ROOT / "dist/Vantrel"
OUT = ROOT / "fuzz/corpus"


def escaped(data: bytes) -> bytes:
    """One string of FuzzedDataProvider.ConsumeRandomLengthString, ended."""
    return data.replace(b"\\", b"\\\\") + b"\\ "


def user_files():
    files = sorted(OLD.rglob("*.src")) + sorted(OLD.rglob("*.dat")) + sorted(OLD.rglob("*.sub"))
    return files + [TEMPLATE / "Vorgabe.src", TEMPLATE / "Vorgabe.dat"]


def write(target: str, name: str, data: bytes):
    folder = OUT / target
    folder.mkdir(parents=True, exist_ok=True)
    (folder / name).write_bytes(data)


def main():
    shutil.rmtree(OUT, ignore_errors=True)
    write("ini_file", "vantrel.ini", (ROOT / "dist/vantrel.ini").read_bytes())
    write("ini_file", "lf_only.ini", (ROOT / "dist/vantrel.ini").read_bytes().replace(b"\r\n", b"\n"))
    for path in user_files():
        name = path.relative_to(ROOT).as_posix().replace("/", "_")
        write("fold_check", name, path.read_bytes())
        # The piece lengths are taken from the end of the input.
        write("fold_pieces", name, path.read_bytes() + bytes([3, 7, 1, 64, 5]))
    for i, line in enumerate([
            rb"C:\QVD_OLDINST\QVD\R1|C:\QVD\ROBOTER\QVD\R1",
            rb"  C:\QVD_OLDINST\QVD\R1\ | C:\QVD\ROBOTER\QVD\R1\ ",
            rb"C:/OLD/R1|C:/NEW/R1/",
            rb"C:\Old Inst\R1 |C:\New Inst\ROBOTER\QVD\R1"]):
        write("carg", f"line{i}", line)
    source_cfg = (OLD / "System/$CONFIG.DAT").read_bytes()
    dest_cfg = (NEW / "System/$CONFIG.DAT").read_bytes()
    machine = (OLD / "Mada/$machine.dat").read_bytes()
    write("config_migration", "samples", escaped(source_cfg) + escaped(dest_cfg) + machine)
    write("config_migration", "same", escaped(dest_cfg) + escaped(dest_cfg) + machine)
    for path in sorted(CONTROL.glob("*.upg")):
        write("foldex_control", path.name, path.read_bytes())
    for i, line in enumerate([
            rb"C:\OLD\R1\System\SPS.SUB| \prog\Vantrel\sps_sub_of.upg /TXT",
            rb"C:\NEW\R1\System\$CONFIG.DAT | \prog\Vantrel\Config_Cfile.upg |C:\OLD\R1\System\$CONFIG.DAT/DAT",
            rb"C:\NEW\R1\System\$CONFIG.DAT | \prog\VANTREL\Config_5x-6x.upg/dat"]):
        write("foldex_command_line", f"line{i}", line)
    # Steps: 0 save, 1 exchange, 2 save and exchange, 3 transfer, 4 set
    # declarations; the step is the last byte.
    sps_old = (OLD / "System/SPS.SUB").read_bytes()
    sps_new = (NEW / "System/SPS.SUB").read_bytes()
    save_rest = b"FOLD=USER*\r\n"
    store = b"; Foldex store: 1 saved\r\n" + b";FOLD USER\r\nA=1\r\n;ENDFOLD\r\n"
    write("foldex_exchange", "save", escaped(save_rest) + escaped(sps_new) + sps_old + b"\x00")
    write("foldex_exchange", "exchange", escaped(b"") + escaped(sps_new) + store + b"\x01")
    write("foldex_exchange", "chain", escaped(save_rest) + escaped(sps_new) + sps_old + b"\x02")
    write("foldex_exchange", "transfer",
          escaped((CONTROL / "Config_Cfile.upg").read_bytes()) + escaped(dest_cfg) + source_cfg + b"\x03")
    write("foldex_exchange", "declarations",
          escaped(b";created\r\n\r\nINT MAX_BASE=32\r\nBASE_NAME[17,]=\"E1\"\r\n") + escaped(dest_cfg) + b"\x04")


if __name__ == "__main__":
    main()
