# Writes each solved level's letters of a report into DIR/moves-LEVEL (awk -v dir=DIR).
/^ *[0-9]+\[/ { level = $1; sub(/\[.*/, "", level); solved = ($0 ~ /moves/); next }
/^\t\t/ && solved { line = $0; gsub(/\t/, "", line); printf "%s", line >> (dir "/moves-" level) }
