/* A host program in C that drives the grammar library through
 * include/zellib.h only: start, one lattice, a JSON sentence, queries,
 * relations, a buffer too small, the end. Exits 0 when every answer holds. */
#include <stdio.h>
#include <string.h>

#include "zellib.h"

static int failures = 0;

static void expect_text(const char* what, const char* got, const char* expected) {
    if (strcmp(got, expected) != 0) {
        fprintf(stderr, "%s: got '%s', expected '%s'\n", what, got, expected);
        ++failures;
    }
}

static void expect_int(const char* what, int got, int expected) {
    if (got != expected) {
        fprintf(stderr, "%s: got %d, expected %d\n", what, got, expected);
        ++failures;
    }
}

int main(int argc, char** argv) {
    char out[4096] = "";
    static char relations[ZEL_LIST_ANSWER_BYTES];
    void* h;
    const char* config = argc > 1 ? argv[1] : "";

    expect_int("DataInit", ZEL_DataInit(config, NULL), 1);
    h = ZEL_LatticeInit();
    if (!h) {
        fprintf(stderr, "no lattice\n");
        return 1;
    }
    expect_int("SetText", ZEL_SetText(h, "{\"Units\":[\"红\",\"苹果\"],\"POS\":[\"a\",\"n\"]}"), 1);

    ZEL_GetText(h, out, sizeof out);
    expect_text("GetText", out, "红苹果");
    ZEL_GetUnitKVs(h, "(2,2)", "", out, sizeof out);
    expect_text("GetUnitKVs", out,
                "{\"ClauseID\":[\"0\"],\"From\":[\"1\"],\"HeadWord\":[\"苹果\"],\"POS\":[\"n\"],\"To\":[\"2\"],"
                "\"Type\":[\"Word\"],\"UnitNo\":[\"(2,2)\"],\"Word\":[\"苹果\"]}");
    ZEL_GetGrid(h, out, sizeof out);
    expect_text("GetGrid", out, "[[\"(0,1)\"],[\"(1,1)\"],[\"(2,1)\",\"(2,2)\"]]");
    ZEL_GetUnits(h, out, sizeof out);
    expect_text("GetUnits", out, "[\"(0,1)\",\"(1,1)\",\"(2,1)\",\"(2,2)\"]");
    ZEL_GetUnitKVs(h, "(2,2)", "Word", out, sizeof out);
    expect_text("GetUnitKVs Word", out, "[\"苹果\"]");
    ZEL_GetTextByRange(h, 1, 2, out, sizeof out);
    expect_text("GetTextByRange", out, "苹果");

    expect_int("AddRelation", ZEL_AddRelation(h, "(0,1)", "(2,2)", "MOD"), 1);
    expect_int("AddRelationKV", ZEL_AddRelationKV(h, "(0,1)", "(2,2)", "MOD", "Tag", "x"), 1);
    expect_int("GetRelations", ZEL_GetRelations(h, "", relations), 25);
    expect_text("GetRelations", relations, "[[\"(0,1)\",\"(2,2)\",\"MOD\"]]");
    ZEL_GetRelations(h, "Tag=x", relations);
    expect_text("GetRelations Tag=x", relations, "[[\"(0,1)\",\"(2,2)\",\"MOD\"]]");
    ZEL_GetRelationKVs(h, "(0,1)", "(2,2)", "MOD", "", out, sizeof out);
    expect_text("GetRelationKVs", out, "{\"Tag\":[\"x\"]}");

    /* An answer that does not fit leaves the buffer as it was. */
    {
        char small[8] = "old";
        expect_int("small GetGrid", ZEL_GetGrid(h, small, sizeof small), 3);
        expect_text("small GetGrid", small, "old");
    }
    expect_int("null handle", ZEL_GetGrid(NULL, out, sizeof out), 0);

    ZEL_Term(h);
    if (failures == 0) printf("host program: all answers hold\n");
    return failures == 0 ? 0 : 1;
}
