# shellcheck shell=bash
# The dialogs' layout from the program's resources (src/res/program_resources.cpp), in dialog
# units, read from template lines such as
#   {IDC_PRICE, Edit, kEdit, "", 102, 79, 84, 15},
#   {IDD_SETTINGS, kDialogStyle, "Kobanu  Ver 1.00", 317, 217, "MS Shell Dlg", 8,
# A template line that wraps cannot be read; neither can an id that stands in more than one.

templates=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)/src/res/program_resources.cpp

dialog_size() {  # IDD_…: "width height"
  template_numbers "$1" "s/^ *{$1, [^\"]*\"[^\"]*\", \([0-9]*\), \([0-9]*\), \".*/\1 \2/p"
}

control_rect() {  # IDC_…: "x y width height"
  template_numbers "$1" \
    "s/^ *{$1, .*, \([0-9]*\), \([0-9]*\), \([0-9]*\), \([0-9]*\)},\$/\1 \2 \3 \4/p"
}

template_numbers() {  # ID SED_SCRIPT: what the script prints for the one line of ID
  local found
  [[ $1 =~ ^[A-Z][A-Z0-9_]*$ ]] && found=$(sed -n "$2" "$templates") || found=''
  if [[ -z $found || $found == *$'\n'* ]]; then
    echo "templates: not one template line for ${1:-(no id)} in $templates" >&2
    return 1
  fi
  echo "$found"
}
