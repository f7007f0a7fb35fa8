#!/bin/sh
# Checks a shipped module and its PDB: the module's debug directory holds one CodeView record
# that names <name>.pdb by file name; that PDB carries the record's GUID and age (so a debugger
# accepts it for this module); the shipped module has neither symbol table nor DWARF left; and
# its code is byte for byte the code of the build that the tests under Wine load.
#   check_pdb.sh SHIPPED_DIR BUILD_BIN_DIR NAME.dll
set -u
shipped=$1 built=$2 module=$3
pdbname="${module%.*}.pdb"
dll="$shipped/$module"
pdb="$shipped/$pdbname"
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
fail() { echo "FAILED: $*"; exit 1; }

[ -f "$dll" ] || fail "$dll is missing (make dist lays out dist/)"
[ -f "$pdb" ] || fail "$pdb is missing"

llvm-readobj --coff-debug-directory "$dll" > "$tmp/dir.txt" || fail "llvm-readobj cannot read $dll"
records=$(grep -c 'Type: CodeView' "$tmp/dir.txt")
[ "$records" = 1 ] || fail "$module has $records CodeView records, not 1"
named=$(sed -n 's/^ *PDBFileName: //p' "$tmp/dir.txt")
[ "$named" = "$pdbname" ] || fail "$module names the PDB '$named', not '$pdbname'"
age=$(sed -n 's/^ *PDBAge: //p' "$tmp/dir.txt")
# GUID bytes as stored: the first three fields little-endian, the last eight in order.
set -- $(sed -n 's/^ *PDBGUID: (\(.*\))/\1/p' "$tmp/dir.txt")
[ $# = 16 ] || fail "no GUID in the CodeView record of $module"
guid="{$4$3$2$1-$6$5-$8$7-$9${10}-${11}${12}${13}${14}${15}${16}}"

llvm-pdbutil dump --summary "$pdb" > "$tmp/pdb.txt" || fail "llvm-pdbutil cannot read $pdb"
pdbguid=$(sed -n 's/^ *GUID: //p' "$tmp/pdb.txt")
pdbage=$(sed -n 's/^ *Age: //p' "$tmp/pdb.txt")
[ "$pdbguid" = "$guid" ] || fail "$pdbname has GUID $pdbguid, $module asks for $guid"
[ "$pdbage" = "$age" ] || fail "$pdbname has age $pdbage, $module asks for age $age"

llvm-readobj --file-headers --sections "$dll" > "$tmp/hdr.txt"
symbols=$(sed -n 's/^ *SymbolCount: //p' "$tmp/hdr.txt")
[ "$symbols" = 0 ] || fail "$module still has $symbols symbols"
if grep -q 'Name: \.debug_' "$tmp/hdr.txt"; then fail "$module still has DWARF sections"; fi

# text_of MODULE OUT: the raw bytes of the module's .text section.
text_of() {
  set -- "$1" "$2" $(llvm-readobj --sections "$1" |
    sed -n '/Name: \.text /,/Characteristics/{s/^ *RawDataSize: //p;s/^ *PointerToRawData: //p;}')
  [ $# = 4 ] || return 1
  tail -c +$(($4 + 1)) "$1" | head -c "$3" > "$2"
}
text_of "$dll" "$tmp/shipped.text" && text_of "$built/$module" "$tmp/built.text" ||
  fail "cannot read the code of $module"
[ -s "$tmp/built.text" ] || fail "no code in $built/$module"
cmp -s "$tmp/shipped.text" "$tmp/built.text" || fail "the code of $dll differs from $built/$module"

echo "$module: CodeView record names $named, GUID $guid age $age = $pdbname;" \
  "stripped ($(wc -c < "$dll") bytes), code identical to the tested build ($(wc -c < "$tmp/built.text") bytes of .text)"
