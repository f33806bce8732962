#!/usr/bin/python3
"""Checks the built quorlin.dll as a sequencer's loader sees it.

PE32 for i386 (or PE32+ for the 64-bit test build), exactly one export named
GetPluginFactory, imports only from system libraries, and the three RCDATA resources
1, 1001 and 1002 under language 1031 with the sizes of the resource files.
"""
import os
import struct
import sys

SYSTEM_LIBRARIES = {"kernel32.dll", "user32.dll", "msvcrt.dll", "ntdll.dll", "advapi32.dll"}
RCDATA = 10
GERMAN_GERMANY = 1031


class PeImage:
    def __init__(self, data):
        self.data = data
        if data[:2] != b"MZ":
            raise ValueError("no MZ header")
        pe = struct.unpack_from("<I", data, 0x3C)[0]
        if data[pe:pe + 4] != b"PE\0\0":
            raise ValueError("no PE signature")
        self.machine, sections, _, _, _, optional_size, _ = struct.unpack_from(
            "<HHIIIHH", data, pe + 4)
        optional = pe + 24
        self.magic = struct.unpack_from("<H", data, optional)[0]
        directories = optional + (96 if self.magic == 0x10B else 112)
        self.directories = [struct.unpack_from("<II", data, directories + 8 * i) for i in range(16)]
        self.sections = []
        table = optional + optional_size
        for i in range(sections):
            _, vsize, vaddr, rawsize, rawptr = struct.unpack_from("<8sIIII", data, table + 40 * i)
            self.sections.append((vaddr, max(vsize, rawsize), rawptr))

    def offset(self, rva):
        for vaddr, size, rawptr in self.sections:
            if vaddr <= rva < vaddr + size:
                return rva - vaddr + rawptr
        raise ValueError("address %#x outside every section" % rva)

    def text(self, rva):
        start = self.offset(rva)
        return self.data[start:self.data.index(b"\0", start)].decode("ascii")

    def exports(self):
        rva, size = self.directories[0]
        if size == 0:
            return 0, []
        base = self.offset(rva)
        functions, names, _, name_table = struct.unpack_from("<IIII", self.data, base + 20)
        listed = [self.text(struct.unpack_from("<I", self.data, self.offset(name_table) + 4 * i)[0])
                  for i in range(names)]
        return functions, listed

    def imports(self):
        rva, size = self.directories[1]
        found = []
        at = self.offset(rva)
        while True:
            descriptor = struct.unpack_from("<IIIII", self.data, at)
            if descriptor == (0, 0, 0, 0, 0):
                return found
            found.append(self.text(descriptor[3]))
            at += 20

    def resources(self):
        rva, _ = self.directories[2]
        root = self.offset(rva)

        def entries(directory):
            named, numbered = struct.unpack_from("<HH", self.data, directory + 12)
            for i in range(named + numbered):
                name, target = struct.unpack_from("<II", self.data, directory + 16 + 8 * i)
                yield name, target

        found = {}
        for type_id, type_target in entries(root):
            if type_id != RCDATA or not type_target & 0x80000000:
                continue
            for number, number_target in entries(root + (type_target & 0x7FFFFFFF)):
                for language, leaf in entries(root + (number_target & 0x7FFFFFFF)):
                    data_rva, size = struct.unpack_from("<II", self.data, root + leaf)[0:2]
                    start = self.offset(data_rva)
                    found[(number, language)] = self.data[start:start + size]
        return found


def main():
    library, resource_dir = sys.argv[1], sys.argv[2]
    image = PeImage(open(library, "rb").read())
    problems = []
    expected = {0x14C: 0x10B, 0x8664: 0x20B}
    if expected.get(image.machine) != image.magic:
        problems.append("machine %#x with optional header %#x" % (image.machine, image.magic))
    functions, names = image.exports()
    if functions != 1 or names != ["GetPluginFactory"]:
        problems.append("exports %d functions named %s" % (functions, names))
    foreign = [name for name in image.imports() if name.lower() not in SYSTEM_LIBRARIES]
    if foreign:
        problems.append("imports from non-system libraries: %s" % foreign)
    resources = image.resources()
    for number, file_name in ((1, "skin.xml"), (1001, "bmInspector.png"), (1002, "bmEditor.png")):
        wanted = open(os.path.join(resource_dir, file_name), "rb").read()
        if resources.get((number, GERMAN_GERMANY)) != wanted:
            problems.append("RCDATA %d in language %d differs from %s"
                            % (number, GERMAN_GERMANY, file_name))
    if len(resources) != 3:
        problems.append("expected 3 RCDATA resources, found %s" % sorted(resources))
    for problem in problems:
        print("%s: %s" % (os.path.basename(library), problem))
    if not problems:
        print("%s: machine %#x, export %s, imports %s, RCDATA %s" % (
            os.path.basename(library), image.machine, names, image.imports(), sorted(resources)))
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main())
