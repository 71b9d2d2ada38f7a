# Sourced by the tests that compare another build's frames with the native
# capture's: two positions in each of the show's twelve scenes, a third and
# two thirds in, as the array `positions` and the comma list `list`.
scenes=(0 49000 81500 100000 122000 150000 162000 193000 223000 243000 273200 303000 333000)
positions=()
for ((i = 0; i + 1 < ${#scenes[@]}; ++i)); do
  start=${scenes[i]} end=${scenes[i + 1]}
  positions+=($((start + (end - start) / 3)) $((start + 2 * (end - start) / 3)))
done
list=$(IFS=,; echo "${positions[*]}")
