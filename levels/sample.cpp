#include "levels/sample.hpp"

namespace qm {

namespace {

// The sample set: six levels that show the kinds of level the solver meets, from a warm-up to a
// board larger than the view. Each one is solvable, and the whole text stays a short text.
constexpr const char kSampleText[] =
    // A warm-up: three boxes, each a few pushes from its goal.
    "; Quillmate Basics #1\n"
    "\n"
    "  ######\n"
    "  #    #\n"
    "###$## #\n"
    "#  . $ #\n"
    "# #.   ##\n"
    "# $ .#  #\n"
    "#   @   #\n"
    "#########\n"
    "\n"
    // Three boxes travel from the left room through a six-square corridor to the goals.
    "; Quillmate Basics #2\n"
    "\n"
    " #####\n"
    "##   ##########\n"
    "#  $ ######  .#\n"
    "# $@$       ..#\n"
    "#    ######   #\n"
    "##  ###########\n"
    " ####\n"
    "\n"
    // All goals lie in the room below, entered through a one-square door; the room is filled from
    // the far corners towards the door.
    "; Quillmate Basics #3\n"
    "\n"
    "##########\n"
    "#    #   #\n"
    "# $$   $ #\n"
    "#  # #$  #\n"
    "# $  @ ###\n"
    "#### #####\n"
    "  #    #\n"
    "  #   .#\n"
    "  #....#\n"
    "  ######\n"
    "\n"
    // Ten boxes in an open hall, each close to a goal.
    "; Quillmate Basics #4\n"
    "\n"
    "################\n"
    "#              #\n"
    "#  $  $  $  $  #\n"
    "# .  .    .  . #\n"
    "#      ##      #\n"
    "#  .  $@  $ .  #\n"
    "#      ##      #\n"
    "# .  .    .  . #\n"
    "#  $  $  $  $  #\n"
    "#              #\n"
    "################\n"
    "\n"
    // The box on the goal shuts the pusher in: it must leave its goal for another box to take.
    "; Quillmate Basics #5\n"
    "\n"
    "  ########\n"
    "  #   .  #\n"
    "###$ $ # #\n"
    "#@ *   . #\n"
    "###  $## #\n"
    "  # .    #\n"
    "  ########\n"
    "\n"
    // A 36 x 22 house of rooms and halls with three boxes, larger than the board view.
    "; Quillmate Basics #6\n"
    "\n"
    "####################################\n"
    "#          #           #           #\n"
    "#      #   #           #  .        #\n"
    "#      #               #     $     #\n"
    "#          #    ###    #####  ######\n"
    "####  ######    # #        #  #\n"
    "   #  #         ###        #  #\n"
    "   #  #                    #  #\n"
    "####  ###########   ########  ######\n"
    "#                                  #\n"
    "#   ########   #######   ########  #\n"
    "#   #      #   #     #   #      #  #\n"
    "#   #      #   #  @  #   #      #  #\n"
    "#   #      #   #  $  #   #      #  #\n"
    "#   ####  ##   ### ###   ##  ####  #\n"
    "#                                  #\n"
    "#       #####          #####       #\n"
    "#       #   #     .    #   #       #\n"
    "#  $    #####          #####       #\n"
    "#   .                              #\n"
    "#                                  #\n"
    "####################################\n";

constexpr const char* kSampleLabels[kSampleLevels] = {
    "Quillmate Basics #1", "Quillmate Basics #2", "Quillmate Basics #3",
    "Quillmate Basics #4", "Quillmate Basics #5", "Quillmate Basics #6",
};

}  // namespace

std::string_view sampleText() { return {kSampleText, sizeof kSampleText - 1}; }

const char* sampleLabel(int32_t n) {
    if (n < 1 || n > kSampleLevels) return "";
    return kSampleLabels[n - 1];
}

}  // namespace qm
