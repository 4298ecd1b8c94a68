/* A host program in C that drives the grammar library through
 * include/zellib.h only: start, one lattice, a JSON sentence, queries,
 * relations, a buffer too small, a rule network compiled, loaded and run
 * in both modes, the end. Exits 0 when every answer holds. */
#define _DEFAULT_SOURCE
#include <stdint.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <unistd.h>

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

static void write_file(const char* path, const char* text) {
    FILE* f = fopen(path, "wb");
    if (!f || fputs(text, f) < 0) ++failures;
    if (f) fclose(f);
}

/* Compiles a one-network list into a folder of its own, starts from a
 * configuration naming that folder, and runs the network over the sentence
 * with its action run as Lua, then handed back encoded. */
static void run_rules(void* h) {
    char folder[] = "/tmp/zel_host_XXXXXX";
    char source[64], config[64], entry[128], out[4096] = "";
    int32_t records = 0;
    int written;
    if (!mkdtemp(folder)) {
        ++failures;
        return;
    }
    snprintf(source, sizeof source, "%s/np.txt", folder);
    snprintf(config, sizeof config, "%s/zel.cfg", folder);
    snprintf(entry, sizeof entry, "FSA:{\"Path\":\"%s\"}\n", folder);
    write_file(source,
               "FSA NP\nPOS=a Entry: [POS=n]\n{\n"
               "  AddGridKV(\"NP\", GetWord(GetUnit(0)) .. \"+\" .. GetWord(GetUnit(1)))\n}\n");
    write_file(config, entry);
    expect_int("DataInit folder", ZEL_DataInit(NULL, folder), 1);
    expect_int("MakeRule", ZEL_MakeRule(source), 1);
    expect_int("ReLoad", ZEL_ReLoad(config), 1);
    expect_int("SetText again", ZEL_SetText(h, "{\"Units\":[\"红\",\"苹果\"],\"POS\":[\"a\",\"n\"]}"), 1);

    expect_int("RunFSA Lua", ZEL_RunFSA(h, "np", "Lang=Lua", NULL, 0), 1);
    ZEL_GetGridKVs(h, "NP", out, sizeof out);
    expect_text("RunFSA Lua action", out, "[\"苹果+红\"]");
    written = ZEL_RunFSA(h, "np", NULL, out, sizeof out);
    if (written <= 4) {
        fprintf(stderr, "RunFSA encode: %d bytes\n", written);
        ++failures;
    }
    memcpy(&records, out, sizeof records);
    expect_int("RunFSA encode records", records, 1);
    expect_int("RunFSA unknown", ZEL_RunFSA(h, "vp", NULL, out, sizeof out), -1);

    remove(source);
    remove(config);
    {
        char path[96];
        const char* made[] = {"npfsa.idx", "npfsa.dat", "npfsa.sub"};
        for (size_t i = 0; i < sizeof made / sizeof made[0]; ++i) {
            snprintf(path, sizeof path, "%s/%s", folder, made[i]);
            remove(path);
        }
    }
    rmdir(folder);
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

    run_rules(h);

    ZEL_Term(h);
    if (failures == 0) printf("host program: all answers hold\n");
    return failures == 0 ? 0 : 1;
}
