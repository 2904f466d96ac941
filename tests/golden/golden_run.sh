#!/usr/bin/env bash
# Runs commands of the command line over the example project and the
# command-line fixtures, and writes for each run (a case) one text of what a
# user sees and gets: the command, its exit code, its output, its error text
# and, as a diff, every change it made to the project's files (and to the
# settings). check_golden.sh compares these texts with the stored ones in
# expected/; two builds' runs can be compared with `diff -r`.
#
# Usage: tests/golden/golden_run.sh QVADDIN OUTDIR [GROUP...]
#        tests/golden/golden_run.sh --groups   (lists the groups)
#        tests/golden/golden_run.sh --settings-file-groups
#          (lists the groups that need a settings file, not the registry)
#   GROUP: the groups to run (all by default); OUTDIR/<case>.txt is the
#          record of a case.
#
# Each case runs on a fresh copy of its project in OUTDIR/<case>/tree with its
# own settings folder, so cases do not disturb one another; a case that
# continues another (number, then unnumber) starts from that case's tree, in
# the same group. The comment stamp carries the clock's date and time: they
# are written as DATE and TIME in that case's record.
set -uo pipefail

# (A program that keeps its settings in the registry keeps them from one case
# to the next: the groups whose cases store settings come last.)
all_groups=(usage list check stats find change-example change-sample change-shapes change-more
            more-shapes code-pages lines group unmodelled readonly comment handlers check-shop
            tidy bad-input settings settings-values)
# The groups that read or write the settings file itself (a build that keeps
# its settings in the registry has none).
settings_file_groups=(settings-values)
if [ "${1:-}" = --groups ]; then
  echo "${all_groups[*]}"
  exit 0
fi
if [ "${1:-}" = --settings-file-groups ]; then
  echo "${settings_file_groups[*]}"
  exit 0
fi
if [ $# -lt 2 ]; then
  echo "usage: $0 QVADDIN OUTDIR [GROUP...] | $0 --groups" >&2
  exit 2
fi
bin=$(realpath "$1")
out=$(realpath -m "$2")
shift 2
root=$(cd "$(dirname "$0")/../.." && pwd)
rm -rf "$out"
mkdir -p "$out"

example=$root/examples
sample=$root/tests/cli/fixtures/Sample
shapes=$root/tests/cli/fixtures/RealShapes
more=$root/tests/cli/fixtures/MoreShapes
small=$root/tests/cli/fixtures/Shapes
shop=$root/tests/cli/fixtures/Shop
tidy=$root/tests/cli/fixtures/Tidy

# The date and time of a comment stamp, in the forms the locale may give.
# A changed file's blob names in a diff are hashes of its bytes, stamp and
# all, so they change with the date too.
dates='s#[0-9]{1,4}[/.-][0-9]{1,2}[/.-][0-9]{1,4}#DATE#g; s#[0-9]{1,2} [A-Z][a-z]{2} [0-9]{4}#DATE#g; s#[0-9]{1,2}:[0-9]{2}(:[0-9]{2})?( ?[AaPp][Mm])?#TIME#g; s#^index [0-9a-f]+\.\.[0-9a-f]+#index HASH..HASH#'

# Writes the record of the case run last, OUTDIR/<case>.txt: paths of this
# machine are taken out of the texts; the changes to the files are a diff of
# the tree before and after (modes included: a file made read-only shows).
# A project of another code page (PAGE, an iconv name) is compared as UTF-8
# copies of both trees: the diff can be read, and a file written in another
# code page shows as changed in every line that is not ASCII.
record() {
  local name=$1 normalise=$2 page=$3 dir=$out/$1
  shift 3
  local paths="s#$dir/tree#TREE#g; s#$out#OUT#g; s#$root#ROOT#g"
  # The diff names each file by its place in the project.
  local names='s#^diff --git a/(before|tree)(\.utf8)?/(.*) b/(before|tree)(\.utf8)?/#diff --git a/\3 b/#; s#^--- a/(before|tree)(\.utf8)?/#--- a/#; s#^\+\+\+ b/(before|tree)(\.utf8)?/#+++ b/#'

  {
    printf '$ qvaddin'
    printf ' %q' "$@" | sed "$paths"
    printf '\n==== exit code %s\n==== output\n' "$(cat "$dir/rc")"
    sed "$paths" "$dir/stdout"
    printf -- '==== errors\n'
    sed "$paths" "$dir/stderr"
    printf -- '==== changed files\n'
    if [ -n "$page" ]; then
      in_utf8 "$page" "$dir/before" "$dir/before.utf8"
      in_utf8 "$page" "$dir/tree" "$dir/tree.utf8"
    fi
    (cd "$dir" && git -c core.quotepath=false diff --no-index --no-color --no-ext-diff \
       --no-renames "before${page:+.utf8}" "tree${page:+.utf8}" | sed -E "$names")
  } >"$dir/raw"
  if [ "$normalise" = dates ]; then
    sed -E "$dates" "$dir/raw" >"$out/$name.txt"
  else
    cp "$dir/raw" "$out/$name.txt"
  fi
}

# A copy of folder FROM in folder TO, its files (but the settings) turned
# from code page PAGE into UTF-8, their modes kept.
in_utf8() {
  local page=$1 from=$2 to=$3 file
  cp -a "$from" "$to"
  while IFS= read -r -d '' file; do
    iconv -f "$page" -t UTF-8 "$file" >"$file.utf8" && cat "$file.utf8" >"$file"
    rm -f "$file.utf8"
  done < <(find "$to" -path "$to/config" -prune -o -type f -print0)
}

# case NAME FROM [dates] [page=PAGE] -- ARGS...: FROM is a project folder to
# copy, or @CASE to go on from that case's tree and settings; PAGE is the
# code page of the project's files (an iconv name).
case_() {
  local name=$1 from=$2 normalise=plain page=
  shift 2
  if [ "$1" = dates ]; then normalise=dates; shift; fi
  if [[ $1 == page=* ]]; then page=${1#page=}; shift; fi
  [ "$1" = -- ] && shift
  local dir=$out/$name
  mkdir -p "$dir/tree/config"
  if [[ $from == @* ]]; then
    cp -a "$out/${from#@}/tree/." "$dir/tree/"
  elif [ -n "$from" ]; then
    cp -a "$from/." "$dir/tree/"
  fi
  cp -a "$dir/tree" "$dir/before"
  (
    cd "$dir/tree" || exit 1
    XDG_CONFIG_HOME=$dir/tree/config HOME=$dir/tree LC_ALL=C.UTF-8 TZ=UTC \
      "$bin" "$@" >"$dir/stdout" 2>"$dir/stderr" </dev/null
    echo $? >"$dir/rc"
  )
  record "$name" "$normalise" "$page" "$@"
}

# --- help, version, usage errors
group_usage() {
  case_ help "" -- --help
  case_ version "" -- --version
  case_ no-command "" --
  case_ unknown-command "" -- frobnicate
  case_ bad-format "" -- --format xml list x.vbp
  for c in list check stats find add replace remove number unnumber tidy comment settings register; do
    case_ "help-$c" "" -- "$c" --help
  done
  case_ list-no-target "" -- list
  case_ list-missing-file "" -- list nothere.vbp
  case_ list-bad-option "$example" -- list --frobnicate Example.vbp
  case_ stats-group-and-module "$sample" -- stats Sample.vbp --group --module modUtil
  case_ stats-routine "$sample" -- stats Sample.vbp --routine Add
  case_ stats-no-target "$sample" -- stats
  case_ stats-bad-module "$sample" -- stats Sample.vbp --module Nope
  case_ stats-missing-project "$sample" -- stats Missing.vbp
}

group_list() {
  case_ list-example "$example" -- list Example.vbp
  case_ list-example-json "$example" -- --format json list Example.vbp
  case_ list-sample "$sample" -- list Sample.vbp
  case_ list-shapes "$shapes" -- list RealShapes.vbp
  case_ list-shapes-json "$shapes" -- --format json list RealShapes.vbp
  case_ list-modules "$example" -- list modMain.bas CAccount.cls
  case_ list-module-sel "$example" -- list Example.vbp --module CAccount
}

group_check() {
  case_ check-example "$example" -- check Example.vbp
  case_ check-example-routines "$example" -- check --routines Example.vbp
  case_ check-example-json "$example" -- --format json check --routines Example.vbp
  case_ check-module "$example" -- check Example.vbp --module modMain
  case_ check-routine "$example" -- check Example.vbp --routine Describe
  case_ check-property "$example" -- check Example.vbp --routine Balance:Let
  case_ check-line "$example" -- check Example.vbp --module modMain --line 20
  case_ check-bad-routine "$example" -- check Example.vbp --routine NoSuch
  case_ check-bad-module "$example" -- check Example.vbp --module NoSuch
  case_ check-sample "$sample" -- check --routines Sample.vbp
  case_ check-shapes "$shapes" -- check --routines RealShapes.vbp
  case_ check-shapes-json "$shapes" -- --format json check --routines RealShapes.vbp
}

group_stats() {
  case_ stats-example "$example" -- stats Example.vbp
  case_ stats-example-json "$example" -- --format json stats Example.vbp
  case_ stats-example-csv "$example" -- --format csv stats Example.vbp
  case_ stats-module "$example" -- stats Example.vbp --module CAccount
  case_ stats-module-csv "$example" -- --format csv stats Example.vbp --module frmMain
  case_ stats-group-example "$example" -- stats --group Example.vbp
  case_ stats-group-two "$root/tests/cli/fixtures" -- stats --group Sample/Sample.vbp RealShapes/RealShapes.vbp
  case_ stats-group-module "$example" -- stats --group --module modMain Example.vbp
  case_ stats-shapes "$shapes" -- stats RealShapes.vbp
  case_ stats-shapes-module "$shapes" -- --format json stats RealShapes.vbp --module modCond
}

group_find() {
  case_ find-plain "$example" -- find Example.vbp balance
  case_ find-case "$example" -- find --match-case Example.vbp Balance
  case_ find-word "$example" -- find --whole-word Example.vbp value
  case_ find-pattern "$example" -- find --pattern Example.vbp 'm*Balance'
  case_ find-first "$example" -- find --first-per-line Example.vbp a
  case_ find-scope-module "$example" -- find --scope module --module CAccount Example.vbp value
  case_ find-scope-module-missing "$example" -- find --scope module Example.vbp value
  case_ find-scope-group "$root/tests/cli/fixtures" -- find --scope group Sample/Sample.vbp RealShapes/RealShapes.vbp Sub
  case_ find-scope-bad "$example" -- find --scope world Example.vbp value
  case_ find-json "$example" -- --format json find Example.vbp Balance
  case_ find-empty "$example" -- find Example.vbp ''
  case_ find-none "$example" -- find Example.vbp zzzzzz
  case_ find-shapes "$shapes" -- find RealShapes.vbp Long
  local all=$root/tests/cli/fixtures/FindGroup
  case_ find-group-pattern-case "$all" -- find All.vbg 'T?TAL' --pattern --match-case
  case_ find-group-module "$all" -- find All.vbg total --scope module --module modb
  case_ find-group-routine "$all" -- find All.vbg total --scope module --routine Add
  case_ find-group-project "$all" -- find All.vbg total --project P2
  case_ find-group-no-text "$all" -- find All.vbg
  case_ find-group-bad-module "$all" -- find All.vbg x --module nope
}

# The commands that change code, at each scope, written and as a diff; then
# handlers added, renewed, forced out and numbered.
change_project() {
  local project=$1 dir vbp module routine
  case $project in
    example) dir=$example vbp=Example.vbp module=CAccount routine=Describe ;;
    sample) dir=$sample vbp=Sample.vbp module=modUtil routine=Add ;;
    shapes) dir=$shapes vbp=RealShapes.vbp module=modCond routine=CallSlot ;;
    more) dir=$more vbp=MoreShapes.vbp module=modCopies routine=Report ;;
  esac
  for c in add replace remove number tidy; do
    case_ "$c-$project-project" "$dir" -- "$c" "$vbp"
    case_ "$c-$project-module" "$dir" -- "$c" "$vbp" --module "$module"
    case_ "$c-$project-routine" "$dir" -- "$c" "$vbp" --routine "$routine"
    case_ "$c-$project-dry" "$dir" -- --dry-run "$c" "$vbp"
    case_ "$c-$project-json" "$dir" -- --format json "$c" "$vbp"
  done
  case_ "unnumber-$project-project" "@number-$project-project" -- unnumber "$vbp"
  case_ "unnumber-$project-module" "@number-$project-project" -- unnumber "$vbp" --module "$module"
  case_ "unnumber-$project-routine" "@number-$project-project" -- unnumber "$vbp" --routine "$routine"
  case_ "unnumber-$project-dry" "@number-$project-project" -- --dry-run unnumber "$vbp"
  case_ "unnumber-$project-json" "@number-$project-project" -- --format json unnumber "$vbp"
  case_ "unnumber-$project-plain" "$dir" -- unnumber "$vbp"
  case_ "replace-$project-after-add" "@add-$project-project" -- replace "$vbp"
  case_ "remove-$project-after-add" "@add-$project-project" -- remove "$vbp"
  case_ "remove-$project-force" "@add-$project-project" -- remove --force "$vbp"
  case_ "replace-$project-force" "$dir" -- replace --force "$vbp"
  case_ "number-$project-after-add" "@add-$project-project" -- number "$vbp"
  case_ "tidy-$project-after-number" "@number-$project-after-add" -- tidy "$vbp"
  case_ "add-$project-again" "@add-$project-project" -- add "$vbp"
  case_ "check-$project-after-add" "@add-$project-project" -- check --routines "$vbp"
  case_ "number-$project-again" "@number-$project-project" -- number "$vbp"
  if [ "$project" = example ]; then
    case_ unnumber-line "@number-example-project" -- unnumber Example.vbp --module modMain --line 20
    case_ remove-routine-after-add "@add-example-project" -- remove Example.vbp --routine Describe
    case_ replace-routine-after-add "@add-example-project" -- replace Example.vbp --routine Balance:Let
  fi
}
group_change-example() { change_project example; }
group_change-sample() { change_project sample; }
group_change-shapes() { change_project shapes; }
group_change-more() { change_project more; }

# The commands at a line, a routine or loose module files.
group_lines() {
  case_ add-line "$example" -- add Example.vbp --module modMain --line 20
  case_ add-line-decl "$example" -- add Example.vbp --module modMain --line 2
  case_ add-property "$example" -- add Example.vbp --routine Owner:Set
  case_ add-bad-routine "$example" -- add Example.vbp --routine NoSuch
  case_ add-modules "$example" -- add modMain.bas CAccount.cls
  case_ number-line "$example" -- number Example.vbp --module frmMain --line 10
  case_ number-line-past "$example" -- number Example.vbp --module frmMain --line 70
  case_ add-decl-module "$shapes" -- add RealShapes.vbp --module modOneLine --line 2
  case_ add-oneline "$shapes" -- add RealShapes.vbp --routine Lo16
  case_ number-oneline "$shapes" -- number RealShapes.vbp --routine Lo16
  case_ tidy-span "$shapes" -- tidy RealShapes.vbp --routine Run
  # Named alone, a routine whose #If lines open above it is refused by every
  # command that changes code.
  for c in add number unnumber remove replace; do
    case_ "$c-span" "$shapes" -- "$c" RealShapes.vbp --routine Run
  done
  case_ tidy-line "$example" -- tidy Example.vbp --module modMain --line 20
  case_ tidy-modules-dry "$example" -- --dry-run tidy modMain.bas frmMain.frm
}

# A form of nothing but NUL bytes and a module whose routine never closes:
# every command reports them, leaves them as they are and does the rest.
group_unmodelled() {
  case_ unmodelled-setup "$shapes" -- --version
  local tree=$out/unmodelled-setup/tree
  head -c 2048 /dev/zero >"$tree/frmBroken.frm"
  printf 'Attribute VB_Name = "modUnclosed"\r\nSub Open()\r\n    x = 1\r\n' >"$tree/modUnclosed.bas"
  replace_in unmodelled-setup RealShapes.vbp 'Name=' 'Form=frmBroken.frm\r\nModule=modUnclosed; modUnclosed.bas\r\nName='
  for c in list check stats add number tidy remove replace unnumber; do
    case_ "unmodelled-$c" "@unmodelled-setup" -- "$c" RealShapes.vbp
  done
  case_ unmodelled-check-json "@unmodelled-setup" -- --format json check RealShapes.vbp
  case_ unmodelled-find "@unmodelled-setup" -- find RealShapes.vbp 'x = 1'
}

# A project group.
group_group() {
  local group=$out/_group
  mkdir -p "$group"
  cp -a "$sample" "$shapes" "$group/"
  printf 'VBGROUP 5.0\r\nStartupProject=Sample\\Sample.vbp\r\nProject=RealShapes\\RealShapes.vbp\r\n' >"$group/Both.vbg"
  case_ group-list "$group" -- list Both.vbg
  case_ group-check "$group" -- check Both.vbg
  case_ group-stats "$group" -- stats --group Both.vbg
  case_ group-find "$group" -- find --scope group Both.vbg End
  case_ group-add "$group" -- add Both.vbg
  case_ group-add-project "$group" -- add Both.vbg --project RealShapes
  case_ group-number-dry "$group" -- --dry-run number Both.vbg --project RealShapes --module modLabels
  case_ group-tidy "$group" -- tidy Both.vbg
  # Projects of one name: the second is called Name_2, and every command works.
  case_ one-name-setup "$shapes" -- --version
  local tree=$out/one-name-setup/tree
  mkdir -p "$tree/copy"
  printf 'Type=Exe\r\nModule=modCond; modCond.bas\r\nName="RealShapes"\r\n' >"$tree/copy/RealShapes.vbp"
  cp "$shapes/modCond.bas" "$tree/copy/"
  printf 'VBGROUP 5.0\r\nStartupProject=RealShapes.vbp\r\nProject=copy/RealShapes.vbp\r\n' >"$tree/All.vbg"
  case_ one-name-list "@one-name-setup" -- list All.vbg
  case_ one-name-check "@one-name-setup" -- check All.vbg
  case_ one-name-stats "@one-name-setup" -- stats All.vbg --group
  case_ one-name-find "@one-name-setup" -- find All.vbg CallSlot --scope group
  case_ one-name-add "@one-name-setup" -- add All.vbg --project RealShapes_2
  case_ one-name-loose "@one-name-setup" -- check modCond.bas copy/modCond.bas
  rm -rf "$group"
}

# A read-only module is refused.
group_readonly() {
  case_ add-readonly-setup "$example" -- list Example.vbp
  chmod a-w "$out/add-readonly-setup/tree/CAccount.cls"
  case_ add-readonly "@add-readonly-setup" -- add Example.vbp --module CAccount
  case_ add-readonly-project "@add-readonly-setup" -- add Example.vbp
  case_ tidy-readonly "@add-readonly-setup" -- tidy Example.vbp --module CAccount
  case_ check-readonly "@add-readonly-setup" -- check --exclude-read-only Example.vbp
  case_ list-readonly "@add-readonly-setup" -- list Example.vbp --module CACCOUNT
  case_ comment-readonly "@add-readonly-setup" -- comment Example.vbp --module CAccount --line 30
}

group_comment() {
  case_ comment-line "$example" dates -- comment Example.vbp --module modMain --line 20
  case_ comment-json "$example" dates -- --format json comment Example.vbp --module modMain --line 20
  case_ comment-dry "$example" dates -- --dry-run comment Example.vbp --module modMain --line 20
  case_ comment-no-line "$example" -- comment Example.vbp --module modMain
  case_ comment-bad-line "$example" -- comment Example.vbp --module modMain --line 9999
}

group_settings() {
  case_ settings-all "" -- settings
  case_ settings-json "" -- --format json settings
  case_ settings-get "" -- settings get label2
  case_ settings-get-bad "" -- settings get nosuch
  case_ settings-set "" -- settings set label2 Handler
  case_ settings-set-get "@settings-set" -- settings get label2
  case_ label-set "$example" -- settings set label2 Handler
  case_ label-check "@label-set" -- check --routines Example.vbp
  case_ label-add "@label-set" -- add Example.vbp
  case_ label-remove "@label-add" -- remove Example.vbp
  case_ settings-set-bad-label "" -- settings set label2 'not a label'
  case_ settings-set-bad-key "" -- settings set nosuch 1
  case_ settings-bad-action "" -- settings frob
  printf 'Exit_%%PROCNAME%%:\r\n    Exit Sub\r\n' >"$out/template.txt"
  case_ settings-from-file "" -- settings set insert --from-file "$out/template.txt"
  case_ settings-from-file-get "@settings-from-file" -- --format json settings get insert
  rm -f "$out/template.txt"
}

# Routines defined once in each branch of an #If, routines that define a
# label of the handler themselves, On Error lines without the rest of the
# handler, module files of two folders; --strict.
group_more-shapes() {
  case_ more-list "$more" -- list MoreShapes.vbp
  case_ more-list-json "$more" -- --format json list MoreShapes.vbp --module modCopies
  case_ more-add-copy-line "$more" -- add MoreShapes.vbp --module modCopies --line 5
  case_ more-check-copies "@more-add-copy-line" -- check MoreShapes.vbp --module modCopies
  case_ more-check-copy-routine "@more-add-copy-line" -- check MoreShapes.vbp --routine Peek
  case_ more-tidy-copy-line "$more" -- tidy MoreShapes.vbp --module modCopies --line 26
  case_ more-find-copies "@more-tidy-copy-line" -- find MoreShapes.vbp 'Debug.Print "s'
  case_ more-add-properties "$more" -- add MoreShapes.vbp --module CCopies
  case_ more-remove-accessor "@more-add-properties" -- remove MoreShapes.vbp --routine Value:Get
  case_ more-add-accessor-line "@more-remove-accessor" -- add MoreShapes.vbp --module CCopies --line 23
  case_ more-add-own-labels "$more" -- add MoreShapes.vbp --module modOwnLabels
  case_ more-check-own-labels "@more-add-own-labels" -- check MoreShapes.vbp --module modOwnLabels
  case_ more-remove-own-labels "@more-add-own-labels" -- remove MoreShapes.vbp --module modOwnLabels
  case_ more-add-own-label-routine "$more" -- add MoreShapes.vbp --routine Cleanup
  case_ more-check-bare "$more" -- check MoreShapes.vbp --module modBare
  case_ more-replace-bare "$more" -- replace MoreShapes.vbp --module modBare
  case_ more-remove-bare "$more" -- remove MoreShapes.vbp --module modBare
  case_ strict-add "$more" -- add --strict MoreShapes.vbp
  case_ strict-add-again "@strict-add" -- add --strict MoreShapes.vbp --module modCopies
  case_ strict-add-json "@strict-add" -- --format json add --strict MoreShapes.vbp --module modOwnLabels
  case_ strict-example-setup "$example" -- add Example.vbp
  case_ strict-example "@strict-example-setup" -- add --strict Example.vbp
  for c in number tidy remove unnumber; do
    case_ "strict-$c-shapes" "$shapes" -- "$c" --strict RealShapes.vbp
  done
  local loose=(loose/p1/modA.bas loose/p2/modB.bas)
  case_ loose-list "$more" -- list "${loose[@]}"
  case_ loose-stats "$more" -- stats "${loose[@]}"
  case_ loose-add "$more" -- add "${loose[@]}"
  case_ loose-check "@loose-add" -- check "${loose[@]}"
  case_ loose-remove "@loose-add" -- remove "${loose[@]}"
  case_ loose-number "@loose-remove" -- number "${loose[@]}"
  case_ loose-unnumber "@loose-number" -- unnumber "${loose[@]}"
  case_ loose-tidy "@loose-unnumber" -- tidy "${loose[@]}"
  case_ loose-find "$more" -- find "${loose[@]}" Debug
  case_ loose-add-project "$more" -- --dry-run add --project p2 "${loose[@]}"
  local two=$out/_two
  mkdir -p "$two/other" "$two/loose/p1"
  cp -a "$sample/." "$two/"
  cp -a "$more/loose/p1/modA.bas" "$two/loose/p1/"
  printf 'Type=Exe\r\nModule=modA; ../loose/p1/modA.bas\r\n' >"$two/other/MoreShapes.vbp"
  case_ two-projects-add "$two" -- add Sample.vbp other/MoreShapes.vbp
  rm -rf "$two"
}

# Projects written in the code pages of their authors (their fixtures are
# kept as UTF-8 and written here in the code page): names and paths are
# found as text of the code page, a search never matches inside a
# character, everything printed is UTF-8, and the files written keep their
# code page. Shift-JIS: 表, ソ and 構 end in the byte of "\", ポ in that of
# "|"; GBK: 開 ends in the byte of "_", 億 in that of "|".
# code_page_projects DIR: the projects of fixtures/CodePages (kept as UTF-8)
# written in DIR in their code pages.
code_page_projects() {
  local project folder page file
  for project in Western:CP1252 Japanese:CP932 Chinese:CP936; do
    folder=${project%%:*} page=${project#*:}
    mkdir -p "$1/$folder"
    cp -a "$root/tests/cli/fixtures/CodePages/$folder/." "$1/$folder/"
    while IFS= read -r -d '' file; do
      iconv -f UTF-8 -t "$page" "$file" >"$file.page" && mv "$file.page" "$file"
    done < <(find "$1/$folder" -type f -print0)
  done
}

group_code-pages() {
  local pages=$out/_pages
  code_page_projects "$pages"
  local w=$pages/Western j=$pages/Japanese c=$pages/Chinese
  local cp1252=(page=CP1252 -- --code-page 1252) cp932=(page=CP932 -- --code-page 932)
  local cp936=(page=CP936 -- --code-page 936)

  case_ western-list "$w" "${cp1252[@]}" list Ventas.vbp
  case_ western-check-module "$w" "${cp1252[@]}" check Ventas.vbp --module MÓDULO1
  case_ western-check-routine "$w" "${cp1252[@]}" check Ventas.vbp --routine NIÑO
  case_ western-list-json "$w" "${cp1252[@]}" --format json list Ventas.vbp --module cálculo
  case_ western-find "$w" "${cp1252[@]}" find Ventas.vbp EINZUFÜGENDEN
  case_ western-find-case "$w" "${cp1252[@]}" find Ventas.vbp EINZUFÜGENDEN --match-case
  case_ western-find-word "$w" "${cp1252[@]}" find Ventas.vbp CAÑA --whole-word
  case_ western-add "$w" "${cp1252[@]}" add Ventas.vbp
  case_ western-remove "@western-add" "${cp1252[@]}" remove Ventas.vbp
  case_ western-number "$w" "${cp1252[@]}" number Ventas.vbp --module MÓDULO1
  case_ western-unnumber "@western-number" "${cp1252[@]}" unnumber Ventas.vbp --routine größe
  case_ western-tidy "@western-unnumber" "${cp1252[@]}" tidy Ventas.vbp
  case_ western-tidy-again "@western-tidy" "${cp1252[@]}" tidy Ventas.vbp

  case_ japanese-list "$j" "${cp932[@]}" list 日本.vbp
  case_ japanese-list-group "$j" "${cp932[@]}" list グループ.vbg
  case_ japanese-check-routine "$j" "${cp932[@]}" check 日本.vbp --routine 表示
  case_ japanese-no-module "$j" "${cp932[@]}" --format json list 日本.vbp --module 無い
  case_ japanese-find-backslash "$j" "${cp932[@]}" find 日本.vbp '\'
  case_ japanese-find-bar "$j" "${cp932[@]}" find 日本.vbp '|'
  case_ japanese-find "$j" "${cp932[@]}" find 日本.vbp 表
  case_ japanese-find-word "$j" "${cp932[@]}" find 日本.vbp ソ --whole-word
  case_ japanese-add "$j" "${cp932[@]}" add 日本.vbp
  case_ japanese-remove "@japanese-add" "${cp932[@]}" remove 日本.vbp
  case_ japanese-number "$j" "${cp932[@]}" number 日本.vbp --module 共通
  case_ japanese-unnumber "@japanese-number" "${cp932[@]}" unnumber 日本.vbp --routine ソート
  case_ japanese-tidy "@japanese-unnumber" "${cp932[@]}" tidy 日本.vbp
  case_ japanese-tidy-again "@japanese-tidy" "${cp932[@]}" tidy 日本.vbp
  # Read in the default code page, the names of the files are not found,
  # and the user is told where to look.
  case_ japanese-other-page "$j" page=CP932 -- list 日本.vbp
  case_ japanese-other-page-group "$j" page=CP932 -- list グループ.vbg

  case_ chinese-list "$c" "${cp936[@]}" list 中文.vbp
  case_ chinese-check-module "$c" "${cp936[@]}" check 中文.vbp --module 模块
  case_ chinese-find-underscore "$c" "${cp936[@]}" find 中文.vbp _
  case_ chinese-find-bar "$c" "${cp936[@]}" find 中文.vbp '|'
  case_ chinese-find "$c" "${cp936[@]}" find 中文.vbp 億元
  case_ chinese-add-routine "$c" "${cp936[@]}" add 中文.vbp --routine 開始
  case_ chinese-remove "@chinese-add-routine" "${cp936[@]}" remove 中文.vbp
  case_ chinese-number "$c" "${cp936[@]}" number 中文.vbp
  case_ chinese-unnumber "@chinese-number" "${cp936[@]}" unnumber 中文.vbp
  case_ chinese-tidy "@chinese-unnumber" "${cp936[@]}" tidy 中文.vbp
  rm -rf "$pages"
}

# replace_in CASE FILE FROM TO: FROM (a Perl pattern) replaced by TO (\r and
# \n its only escapes) in a
# file of that case's tree, for the cases that go on from it.
replace_in() {
  FROM=$3 TO=$4 perl -0pi -e 'BEGIN { ($to = $ENV{TO}) =~ s/\\r/\r/g; $to =~ s/\\n/\n/g }
    s/$ENV{FROM}/$to/ or die "not found: $ENV{FROM}\n"' "$out/$1/tree/$2"
}

# Handlers of every module kind (fixtures/Shapes): what add, number, remove
# and replace do, refuse and say, and how they treat the user's own lines.
group_handlers() {
  case_ shapes-add "$small" -- add Shapes.vbp
  case_ shapes-add-again "@shapes-add" -- add Shapes.vbp
  case_ shapes-check-after-add "@shapes-add" -- check --routines Shapes.vbp
  case_ shapes-add-refused "$small" -- add Shapes.vbp --routine Resumes
  case_ shapes-add-line "$small" -- add Shapes.vbp --module modA --line 9
  case_ shapes-add-declarations "$small" -- add Shapes.vbp --module modA --line 1
  case_ shapes-add-dry-json "$small" -- --format json --dry-run add Shapes.vbp
  case_ shapes-readonly-setup "$small" -- list Shapes.vbp
  chmod a-w "$out/shapes-readonly-setup/tree/CTx.cls"
  case_ shapes-add-readonly "@shapes-readonly-setup" -- add Shapes.vbp --module CTx
  case_ shapes-add-readonly-project "@shapes-readonly-setup" -- add Shapes.vbp

  case_ shapes-number "$small" -- number Shapes.vbp
  case_ shapes-number-again "@shapes-number" -- number Shapes.vbp
  case_ shapes-number-module "$small" -- number Shapes.vbp --module modA
  case_ shapes-number-accessor "$small" -- number Shapes.vbp --routine Value:Let
  case_ shapes-number-terminate "$small" -- number Shapes.vbp --routine Class_Terminate
  case_ shapes-number-declarations "$small" -- number Shapes.vbp --module CTx --line 2
  # Numbers, a label with a colon, a tab: only the numbers go.
  case_ shapes-unnumber-setup "$small" -- list Shapes.vbp
  printf 'Attribute VB_Name = "modA"\r\n  Dim m As Long\r\nSub Go()\r\n10  x = 1\r\n\t'"'"' a tab\r\n20:     If x Then y = 2\r\nEnd Sub\r\nSub Plain()\r\n    x = 1\r\nEnd Sub\r\n' \
    >"$out/shapes-unnumber-setup/tree/modA.bas"
  case_ shapes-unnumber "@shapes-unnumber-setup" -- unnumber Shapes.vbp --module modA

  # remove and replace decide on the top status, as the main window does.
  case_ handlers-setup "$small" -- add Shapes.vbp --module modA
  case_ handlers-setup-form "@handlers-setup" -- add Shapes.vbp --module frmMain
  case_ replace-current "@handlers-setup-form" -- replace Shapes.vbp
  case_ own-exit-line-setup "@handlers-setup-form" -- list Shapes.vbp
  replace_in own-exit-line-setup modA.bas 'Exit_Routine:\r\n' 'Exit_Routine:\r\n    CleanUp\r\n'
  case_ remove-own-exit-line "@own-exit-line-setup" -- remove Shapes.vbp --routine Go
  replace_in own-exit-line-setup modA.bas 'Sub ErrorSave\(\)\r\nEnd Sub' 'Sub ErrorSave()\r\n    On Error GoTo Error_Routine\r\n\r\n    x = 1\r\n\r\nExit_Routine:\r\n    Exit Sub\r\nError_Routine:\r\n    Resume Next\r\nEnd Sub'
  case_ remove-extra-code "@own-exit-line-setup" -- remove Shapes.vbp --routine ErrorSave
  case_ replace-extra-code "@own-exit-line-setup" -- replace Shapes.vbp --routine ErrorSave
  case_ remove-extra-code-forced "@own-exit-line-setup" -- remove Shapes.vbp --routine ErrorSave --force
  case_ own-labels-setup "@handlers-setup-form" -- list Shapes.vbp
  replace_in own-labels-setup modA.bas 'Function Resumes\(\) As Long\r\n    On Error Resume Next\r\n    Resumes = 1\r\n' 'Function Resumes() As Long\r\n    On Error GoTo Error_Routine\r\n    Resumes = 1\r\n    Exit Function\r\nError_Routine:\r\n    Resumes = 0\r\n'
  replace_in own-labels-setup modA.bas '    If x Then Beep\r\n' '    If x Then GoTo Exit_Routine\r\n'
  case_ remove-top-over-own-labels "@own-labels-setup" -- remove Shapes.vbp --routine Resumes
  case_ remove-jump-to-gone-label "@own-labels-setup" -- remove Shapes.vbp --module modA
  case_ own-on-error-setup "@handlers-setup-form" -- list Shapes.vbp
  replace_in own-on-error-setup modA.bas '    If x Then Beep\r\n' '    On Error Resume Next\r\n    If x Then Beep\r\n'
  case_ replace-keeps-handler "@own-on-error-setup" -- replace Shapes.vbp --routine Go
}

# check over a small project of every status (fixtures/Shop).
group_check-shop() {
  case_ shop-check "$shop" -- check Shop.vbp
  case_ shop-readonly-setup "$shop" -- list Shop.vbp
  chmod a-w "$out/shop-readonly-setup/tree/CAccount.cls"
  case_ shop-check-readonly "@shop-readonly-setup" -- check Shop.vbp
  case_ shop-check-readonly-excluded "@shop-readonly-setup" -- check --exclude-read-only Shop.vbp
  case_ shop-check-readonly-json "@shop-readonly-setup" -- --format json check --exclude-read-only Shop.vbp
  # Files no IDE saved may declare "Sub Main" without parentheses.
  case_ shop-no-parentheses-setup "$shop" -- list Shop.vbp
  replace_in shop-no-parentheses-setup modMain.bas 'Sub Main\(\)' 'Sub Main'
  case_ shop-check-no-parentheses "@shop-no-parentheses-setup" -- check Shop.vbp
  # A terminate routine's own blocks pass the gate after add; a hand-written
  # On Error Resume Next in one does not.
  case_ shop-terminate-setup "$shop" -- list Shop.vbp
  printf '%s\r\n' 'VERSION 1.0 CLASS' BEGIN "  MultiUse = -1  'True" END 'Attribute VB_Name = "CAccount"' \
    'Attribute VB_Exposed = False' 'Option Explicit' '' 'Private Sub Class_Terminate()' \
    '    Debug.Print "bye"' 'End Sub' '' 'Public Sub Deposit()' '    Debug.Print "in"' 'End Sub' \
    >"$out/shop-terminate-setup/tree/CAccount.cls"
  case_ shop-terminate-add "@shop-terminate-setup" -- add Shop.vbp
  case_ shop-terminate-check "@shop-terminate-add" -- check Shop.vbp
  replace_in shop-terminate-add CAccount.cls 'Private Sub Class_Terminate\(\)\r\n(.|\r|\n)*?End Sub' 'Private Sub Class_Terminate()\r\n    On Error Resume Next\r\nEnd Sub'
  case_ shop-terminate-own-check "@shop-terminate-add" -- check Shop.vbp
  # A terminate routine's own label named like the exit label stays, with
  # its lines, when the terminate blocks come out again.
  case_ shop-terminate-label-setup "$shop" -- list Shop.vbp
  printf '%s\r\n' 'VERSION 1.0 CLASS' BEGIN "  MultiUse = -1  'True" END 'Attribute VB_Name = "CAccount"' \
    'Attribute VB_Exposed = False' 'Option Explicit' '' 'Private Sub Class_Terminate()' \
    '    Debug.Print "bye"' 'Exit_Routine:' '    Debug.Print "done"' 'End Sub' \
    >"$out/shop-terminate-label-setup/tree/CAccount.cls"
  case_ shop-terminate-label-add "@shop-terminate-label-setup" -- add Shop.vbp --module CAccount
  case_ shop-terminate-label-remove "@shop-terminate-label-add" -- remove Shop.vbp --module CAccount
}

# tidy and comment over modules untidy in each way (fixtures/Tidy).
group_tidy() {
  case_ tidy-project "$tidy" -- tidy Tidy.vbp
  case_ tidy-project-again "@tidy-project" -- tidy Tidy.vbp
  case_ tidy-routine "$tidy" -- tidy Tidy.vbp --routine Report
  case_ tidy-declarations "$tidy" -- tidy Tidy.vbp --module modA --line 2
  case_ tidy-json "$tidy" -- --format json --dry-run tidy Tidy.vbp
  case_ tidy-readonly-setup "$tidy" -- list Tidy.vbp
  chmod a-w "$out/tidy-readonly-setup/tree/modA.bas"
  case_ tidy-readonly-module "@tidy-readonly-setup" -- tidy Tidy.vbp --module modA
  case_ tidy-readonly-project "@tidy-readonly-setup" -- tidy Tidy.vbp
  case_ tidy-too-deep-routine "$tidy" -- tidy Deep.vbp --routine Deep
  case_ comment-without-module "$tidy" -- comment Tidy.vbp --line 3
}

# The settings command's checks of the values it stores, the values it finds
# stored, and the files it finds; the stored settings at work.
group_settings-values() {
  local conf='config/Brell Vantoke/qvaddin2.conf'
  # A stored value over a company default; a template taken out of the file.
  case_ menu-stored "" -- settings set menu 0
  case_ menu-stored-shown "@menu-stored" -- settings
  replace_in menu-stored "$conf" 'add0=\n' ''
  case_ template-taken-out "@menu-stored" -- --format json settings
  printf 'Debug.Assert False\nResume Exit_Routine\n' >"$out/add3.txt"
  case_ template-from-lf-file "" -- settings set ADD3 --from-file "$out/add3.txt"
  case_ template-from-lf-file-get "@template-from-lf-file" -- settings get add3
  case_ template-from-lf-file-json "@template-from-lf-file" -- --format json settings get add3
  rm -f "$out/add3.txt"
  case_ set-dry "" -- --dry-run settings set label1 Done
  # Numbers of another kind or out of their range: refused, nothing stored.
  local pair
  for pair in header=abc ten=40000 comment=4 menu=1.5 header=99 menu=7 select=-1 ten=-1 \
              modulemb=0 modulemb=4096; do
    case_ "refused-${pair/=/-}" "" -- settings set "${pair%%=*}" -- "${pair#*=}"
  done
  case_ number-with-spaces "" -- settings set ten ' +1 '
  case_ modulemb-set "" -- settings set modulemb 128
  case_ modulemb-get "@modulemb-set" -- settings get modulemb
  case_ set-no-value "" -- settings set ten
  # A stored number that is not one names the key and the file.
  case_ stored-bad-number-setup "" -- settings set ten 0
  replace_in stored-bad-number-setup "$conf" 'ten=0' 'ten=lots'
  case_ stored-bad-number "@stored-bad-number-setup" -- settings
  case_ stored-bad-number-get "@stored-bad-number-setup" -- settings get add3
  case_ stored-bad-number-mended "@stored-bad-number-setup" -- settings set ten 0
  # The code page is stored by its number; a stored one that names none stops
  # the commands that read VB files, and --code-page replaces it for a run.
  case_ code-page-get "" -- settings get codePage
  case_ code-page-set "" -- settings set codepage Shift_JIS
  case_ code-page-set-get "@code-page-set" -- settings get codePage
  case_ code-page-set-json "@code-page-set" -- --format json settings
  case_ code-page-bad "" -- settings set codePage 12
  case_ code-page-stored-bad-setup "$example" -- settings set codePage 1252
  replace_in code-page-stored-bad-setup "$conf" 'codePage=1252' 'codePage=latin'
  case_ code-page-stored-bad "@code-page-stored-bad-setup" -- list Example.vbp
  case_ code-page-for-a-run "@code-page-stored-bad-setup" -- --code-page 1252 list Example.vbp
  case_ code-page-bad-for-a-run "@code-page-stored-bad-setup" -- --code-page latin9 list Example.vbp
  case_ code-page-stored-bad-get "@code-page-stored-bad-setup" -- settings get codePage
  # Labels that would make code that is not VB.
  case_ label-with-colon "" -- settings set label1 'Err Label: x'
  case_ label-line-break "" -- settings set label1 $'Err\nLabel'
  case_ label-keyword "" -- settings set label1 Resume
  case_ label-digit-first "" -- settings set label1 9Lives
  case_ label-empty "" -- settings set label1 ''
  case_ label-same-as-other "" -- settings set label1 Error_Routine
  case_ label-good "" -- settings set label1 Leave_Here
  case_ label-good-get "@label-good" -- settings get label1
  case_ stamp-two-lines "" -- settings set insert $'\' stamp\nx = 1'
  # A read-only settings file is not rewritten.
  case_ read-only-file-setup "" -- settings set menu 0
  chmod 0444 "$out/read-only-file-setup/tree/$conf"
  case_ read-only-file-set "@read-only-file-setup" -- settings set menu 1
  case_ read-only-file-reset "@read-only-file-setup" -- settings reset
  chmod u+w "$out/read-only-file-setup/tree/$conf"
  case_ reset-setup "" -- settings set menu 0
  case_ reset-setup-template "@reset-setup" -- settings set add3 Stop
  case_ reset "@reset-setup-template" -- settings reset
  case_ reset-get "@reset" -- settings get add3
  # A file that is not INI is reported and kept.
  case_ not-ini-setup "" -- --version
  mkdir -p "$out/not-ini-setup/tree/config/Brell Vantoke"
  printf '# settings\nmenu: 0\n' >"$out/not-ini-setup/tree/$conf"
  case_ not-ini "@not-ini-setup" -- settings
  case_ not-ini-set "@not-ini-setup" -- settings set menu 0
  case_ not-ini-reset "@not-ini-setup" -- settings reset
  # A label typed into the settings file by hand, that would make bad code.
  case_ bad-label-setup "$small" -- list Shapes.vbp
  replace_in bad-label-setup "$conf" 'label2=Error_Routine' 'label2=Err Label: x'
  case_ bad-label-add "@bad-label-setup" -- add Shapes.vbp
  # Templates are UTF-8: written in the module's code page, a character it
  # has none for as "?"; the check reads the template as written.
  local pages=$out/_pages
  code_page_projects "$pages"
  local w=$pages/Western j=$pages/Japanese
  local cp1252=(page=CP1252 -- --code-page 1252) cp932=(page=CP932 -- --code-page 932)
  case_ western-template "$w" -- settings set add2 "' Ende für %r"
  case_ western-template-add "@western-template" "${cp1252[@]}" add Ventas.vbp --routine Größe
  case_ western-template-check "@western-template-add" "${cp1252[@]}" check Ventas.vbp --routine Größe
  case_ japanese-template "$j" -- settings set add2 "' Ende für %r"
  case_ japanese-template-add "@japanese-template" "${cp932[@]}" add 日本.vbp --routine 表示
  rm -rf "$pages"
  # Stored templates and labels decide: replace renews handlers from them,
  # check judges by them.
  case_ handlers-setup "$small" -- add Shapes.vbp --module modA
  case_ handlers-setup-form "@handlers-setup" -- add Shapes.vbp --module frmMain
  case_ settings-exit-line "@handlers-setup-form" -- settings set add2 'Set mTx = Nothing'
  case_ replace-renews "@settings-exit-line" -- replace Shapes.vbp
  case_ replace-renews-again "@replace-renews" -- replace Shapes.vbp
  case_ shop-label "$shop" -- settings set label2 Handler
  case_ shop-check-label "@shop-label" -- check Shop.vbp --module modMain
  # register writes the add-in list, taking out the previous generation's.
  case_ register-setup "" -- --version
  mkdir -p "$out/register-setup/tree/config/qvaddin-workbench"
  printf '[Add-Ins32]\nqvAddIn2.ErrorHandle=1\nOther.Connect=0\n' \
    >"$out/register-setup/tree/config/qvaddin-workbench/vbaddin.ini"
  case_ register-dry "@register-setup" -- --dry-run register
  case_ register "@register-setup" -- register
  case_ register-again "@register" -- --format json register
}

# Projects and modules that cannot be read whole: what is missing or broken
# is reported and left as it is, and the rest is done; names that would steer
# a terminal reach it escaped.
group_bad-input() {
  case_ missing-module-setup "$sample" -- --version
  local tree=$out/missing-module-setup/tree
  { printf 'Type=Exe\r\nModule=modGone; gone.bas\r\n'; tail -c +11 "$sample/Sample.vbp"; } >"$tree/SAMPLE.VBP"
  rm "$tree/Sample.vbp"
  case_ missing-module "@missing-module-setup" -- list SAMPLE.VBP
  case_ broken-project-setup "$sample" -- --version
  printf 'Type=Exe\r\nModule=modUtil; modUtil.bas\r\nrubbish\r\n' >"$out/broken-project-setup/tree/Sample.vbp"
  case_ broken-project "@broken-project-setup" -- tidy Sample.vbp --module CCounter
  case_ unknown-project "$sample" -- list Sample.vbp --project Other
  case_ json-bad-option "" -- --format json list --no-such-option x.vbp
  case_ json-missing-project "" -- list --format=json no/such/project.vbp

  # broken NAME FILE < BYTES: FILE of the sample project holds BYTES.
  broken() {
    case_ "broken-$1-setup" "$sample" -- --version
    cat >"$out/broken-$1-setup/tree/$2"
    case_ "broken-$1-add" "@broken-$1-setup" -- add Sample.vbp
    case_ "broken-$1-list" "@broken-$1-setup" -- --format json list Sample.vbp
    case_ "broken-$1-tidy" "@broken-$1-setup" -- tidy Sample.vbp --module "${2%.*}"
  }
  broken empty modUtil.bas </dev/null
  printf '\0\0\0\0' | broken nul modUtil.bas
  printf 'Option Explicit\r\nSub A()\r\nEnd Sub\r\n' | broken no-name modUtil.bas
  printf 'Attribute VB_Name = "modUtil"\r\nSub A()\r\n    x = 1\r\n' | broken unclosed modUtil.bas
  printf 'VERSION 5.00\r\nBegin VB.Form frmMain\r\n   Caption = "x"\r\nAttribute VB_Name = "frmMain"\r\n' |
    broken designer frmMain.frm
  { printf "Attribute VB_Name = \"modUtil\"\r\n' "; head -c 1048576 /dev/zero | tr '\0' x; printf '\r\n'; } |
    broken long-line modUtil.bas

  local escape=$'\e[31m\e]0;owned\a'
  case_ escapes-setup "$sample" -- --version
  printf 'Attribute VB_Name = "mod%sEsc"\r\nSub A()\r\nEnd Sub\r\n' "$escape" >"$out/escapes-setup/tree/modEsc.bas"
  case_ escapes-list "@escapes-setup" -- list modEsc.bas
  case_ escapes-list-json "@escapes-setup" -- --format json list modEsc.bas
  case_ escapes-missing "$sample" -- list "gone$escape.vbp"
  case_ escapes-command "$sample" -- "no-such-command$escape"
}

groups=("$@")
[ ${#groups[@]} -gt 0 ] || groups=("${all_groups[@]}")
for g in "${groups[@]}"; do
  if ! declare -F "group_$g" >/dev/null; then
    echo "$0: no group $g (groups: ${all_groups[*]})" >&2
    exit 2
  fi
  "group_$g"
done
echo "golden run: $(ls "$out"/*.txt | wc -l) cases in $out"
