import static org.junit.jupiter.api.Assertions.assertArrayEquals;
import static org.junit.jupiter.api.Assertions.assertEquals;
import static org.junit.jupiter.api.Assertions.assertFalse;
import static org.junit.jupiter.api.Assertions.assertNull;
import static org.junit.jupiter.api.Assertions.assertTrue;
import static org.junit.jupiter.api.Assumptions.assumeTrue;

import java.io.File;
import java.nio.charset.StandardCharsets;
import java.nio.file.Files;
import java.nio.file.Path;
import java.util.ArrayList;
import java.util.List;
import java.util.stream.Stream;
import org.junit.jupiter.api.Test;
import org.junit.jupiter.api.io.TempDir;
import org.junit.jupiter.params.ParameterizedTest;
import org.junit.jupiter.params.provider.CsvSource;
import org.junit.jupiter.params.provider.ValueSource;

/** The boot stage's pieces, called directly. */
class QuillpodbootTest {
    @TempDir
    Path ws;

    private List<String> filesIn(Path dir) throws Exception {
        List<String> out = new ArrayList<>();
        try (Stream<Path> s = Files.walk(dir)) {
            s.filter(Files::isRegularFile).forEach(f -> out.add(dir.relativize(f).toString()));
        }
        out.sort(null);
        return out;
    }

    private String content(String rel) throws Exception {
        return Files.readString(ws.resolve(rel), StandardCharsets.ISO_8859_1);
    }

    @Test
    void configurationPairs() {
        quillpodboot boot = new quillpodboot();
        boot.parseVars(BootFixture.config(
                "a=b=c\nempty=\n=lead\nnoequals\nmain=x.Y\r\nk=1\n\n\nk=2\nlast=v"));
        assertEquals("b=c", boot.m_vars.get("a"));
        assertEquals("", boot.m_vars.get("empty"));
        assertEquals("x.Y\r", boot.m_vars.get("main"), "a carriage return is kept");
        assertEquals("2", boot.m_vars.get("k"), "a later pair wins");
        assertEquals("v\0", boot.m_vars.get("last"), "without a last line feed the NUL is in the value");
        assertEquals(5, boot.m_vars.size(), boot.m_vars.toString());

        quillpodboot ended = new quillpodboot();
        ended.parseVars(BootFixture.config("minver=1.4\n"));
        assertEquals("{minver=1.4}", ended.m_vars.toString(), "the NUL alone is no pair");
    }

    @ParameterizedTest(name = "{1} against {0}: {2}")
    @CsvSource({
        "1.1, 17.0.15, true", "1.1, 11.0.2, true", "1.1, 10.0.1, true", "1.1, 9, true",
        "1.1, 1.8.0_392, true", "1.1, 1.1.8, true", "1.1, 1.3.0, true", "1.1, 1.1, true",
        "1.1, 1.0.2, false", "1.1, 1, false", "1.2, 1.10, true", "1.2, 1.1.9, false",
        "17, 17-ea, true", "17.0.16, 17.0.15, false", "1.1, x.y, false", "1.1, '', false",
        "1.1, 1..1, true", "'', 1.0, true", "'', 17.0.15, true", "11.0.1, 11, false"})
    void versionTest(String minver, String version, boolean passes) {
        assertEquals(passes, quillpodboot.verOK(minver, version));
    }

    @Test
    void versionTestWithoutVersionOrConfiguredMinimum() {
        assertFalse(quillpodboot.verOK("", null));
        quillpodboot boot = new quillpodboot();
        assertTrue(boot.verOK(), "this VM passes the default minimum");
        boot.m_vars.put("minver", "999");
        assertFalse(boot.verOK());
    }

    @Test
    void recordsAreFoundOnTheGridOnly() {
        byte[] exe = new BootFixture.Exe(5)
                .recordClaiming('V', 1000, BootFixture.latin1("gone"))  // runs past the end
                .record('B', BootFixture.latin1("first"))
                .record('V', BootFixture.latin1("real"))
                .record('B', BootFixture.latin1("second"))
                .bytes();
        assertEquals("real", new String(quillpodboot.getSection(exe, 'V'), StandardCharsets.ISO_8859_1));
        assertEquals("first", new String(quillpodboot.getSection(exe, 'B'), StandardCharsets.ISO_8859_1));
        assertNull(quillpodboot.getSection(exe, 'Z'));

        byte[] offGrid = new BootFixture.Exe(0).record('V', BootFixture.latin1("x")).bytes();
        byte[] shifted = new byte[offGrid.length + 8];
        System.arraycopy(offGrid, 0, shifted, 8, offGrid.length);
        assertNull(quillpodboot.getSection(shifted, 'V'));

        byte[] empty = new BootFixture.Exe(16).record('Z', new byte[0]).bytes();
        assertEquals(0, quillpodboot.getSection(empty, 'Z').length, "a record can end the file exactly");
        byte[] cut = java.util.Arrays.copyOf(empty, 16 + 18);  // no room for the length
        assertNull(quillpodboot.getSection(cut, 'Z'));
        byte[] huge = new BootFixture.Exe(0).recordClaiming('Z', -1, new byte[40]).bytes();
        assertNull(quillpodboot.getSection(huge, 'Z'), "a length above 2 GiB does not fit");
    }

    @Test
    void uncompressTakesThePrefixAndChecksTheTrailer() {
        byte[] data = BootFixture.latin1("the archive body ".repeat(100));
        byte[] gz = BootFixture.gzip(data);
        assertArrayEquals(data, quillpodboot.uncompress(gz, 0, gz.length, data.length));
        assertEquals(10, quillpodboot.uncompress(gz, 0, gz.length, 10).length, "the prefix decides");
        assertNull(quillpodboot.uncompress(gz, 0, gz.length, data.length + 1), "too few bytes");
        assertNull(quillpodboot.uncompress(gz, 0, gz.length - 1, data.length), "cut short");
        byte[] badCrc = gz.clone();
        badCrc[gz.length - 8] ^= 1;
        assertNull(quillpodboot.uncompress(badCrc, 0, gz.length, data.length), "CRC checked");
        byte[] badLength = gz.clone();
        badLength[gz.length - 4] ^= 1;
        assertNull(quillpodboot.uncompress(badLength, 0, gz.length, data.length), "length checked");
        assertNull(quillpodboot.uncompress(gz, 0, gz.length, -5), "a prefix of 2 GiB or more");
        assertNull(quillpodboot.uncompress(gz, 0, gz.length, 2_000_000_000), "more than the stream can hold");
        byte[] zeros = new byte[1 << 20];
        byte[] dense = BootFixture.gzip(zeros);
        assertArrayEquals(zeros, quillpodboot.uncompress(dense, 0, dense.length, zeros.length),
            "the densest stream still unpacks");
    }

    @Test
    void uncompressLeavesAStreamFarLongerThanTheArchiveUninflated() {
        // Gigabytes of zeros after a small archive would keep every start busy
        // for seconds; past the checked overrun the stream is not read, so
        // even its damaged trailer goes unseen.
        byte[] huge = BootFixture.gzip(new byte[4 * quillpodboot.CHECKED_OVERRUN]);
        huge[huge.length - 8] ^= 1;
        assertArrayEquals(new byte[10], quillpodboot.uncompress(huge, 0, huge.length, 10));
        byte[] near = BootFixture.gzip(new byte[quillpodboot.CHECKED_OVERRUN / 2]);
        near[near.length - 8] ^= 1;
        assertNull(quillpodboot.uncompress(near, 0, near.length, 10), "a short overrun is read to check the trailer");
    }

    @Test
    void emptyArchiveWritesNothing() throws Exception {
        byte[] gz = BootFixture.gzip(BootFixture.latin1("whatever the stream holds"));
        byte[] body = quillpodboot.uncompress(gz, 0, gz.length, 0);
        assertEquals(0, quillpodboot.parseFiles(ws.toString(), body));
        assertEquals(List.of(), filesIn(ws));
    }

    @Test
    void entriesBecomeFiles() throws Exception {
        byte[] body = new BootFixture.Archive()
                .add("com\\t\\deep\\A.class", "class")
                .add("empty", new byte[0])
                .add("twice", "first")
                .add("twice", "second")
                .add("mixed/slash\\x", "levels")
                .add("deeper\\Jz.Ky.Tx", "only the workspace's own are reserved")
                .body();
        assertEquals(0, quillpodboot.parseFiles(ws.toString(), body));
        assertEquals(List.of("com/t/deep/A.class", "deeper/Jz.Ky.Tx", "empty", "mixed/slash/x", "twice"), filesIn(ws));
        assertEquals("class", content("com/t/deep/A.class"));
        assertEquals(0, Files.size(ws.resolve("empty")));
        assertEquals("second", content("twice"));
    }

    @Test
    void namesAreUtf8AndOtherBytesKeepTheirOlderReading() throws Exception {
        assumeTrue("UTF-8".equals(System.getProperty("sun.jnu.encoding")), "file names need a UTF-8 locale");
        byte[] body = new BootFixture.Archive()
                .addTagged(0xEADC12F0, "gr\u00fc\u00dfe\\\u20ac \ud83c\udf84.txt".getBytes(StandardCharsets.UTF_8),
                        BootFixture.latin1("utf-8"))
                .addTagged(0xEADC12F0, BootFixture.latin1("d\u00e9j\u00e0"), BootFixture.latin1("latin-1 bytes"))
                .body();
        assertEquals(0, quillpodboot.parseFiles(ws.toString(), body));
        assertEquals(List.of("d\u00e9j\u00e0", "gr\u00fc\u00dfe/\u20ac \ud83c\udf84.txt"), filesIn(ws));
        assertEquals("utf-8", content("gr\u00fc\u00dfe/\u20ac \ud83c\udf84.txt"));
    }

    @Test
    void foldersAreMadeWholeWithNothingElseLeft() throws Exception {
        // The top folders are made under a passing name and renamed into place.
        Files.createDirectories(ws.resolve("kept"));
        Files.writeString(ws.resolve("kept/old"), "was here");
        byte[] body = new BootFixture.Archive()
                .add("com\\t\\deep\\A.class", "deep first")
                .add("com\\B.class", "then the top")
                .add("Gifs\\a.gif", "top first")
                .add("Gifs\\sub\\b.gif", "then deeper")
                .add(".\\dot\\x", "under a dot level")
                .add("kept\\new", "into a folder already there")
                .add("Media\\m", "one")
                .add("media\\n", "another letter case")
                .add("top", "a file at the top")
                .body();
        assertEquals(0, quillpodboot.parseFiles(ws.toString(), body));
        List<String> all = new ArrayList<>();
        try (Stream<Path> s = Files.walk(ws)) {
            s.filter(p -> !p.equals(ws)).forEach(p -> all.add(ws.relativize(p).toString().replace(File.separatorChar, '/')));
        }
        all.sort(null);
        assertEquals(List.of("Gifs", "Gifs/a.gif", "Gifs/sub", "Gifs/sub/b.gif", "Media", "Media/m", "com",
                "com/B.class", "com/t", "com/t/deep", "com/t/deep/A.class", "dot", "dot/x", "kept", "kept/new",
                "kept/old", "media", "media/n", "top"), all);
        assertEquals("was here", content("kept/old"));
    }

    @Test
    void manyEntriesWithRepeatsKeepTheLastContent() throws Exception {
        BootFixture.Archive archive = new BootFixture.Archive();
        for (int round = 0; round < 3; round++) {
            for (int i = 0; i < 150; i++) {
                archive.add("d" + (i % 7) + "\\f" + i, "round " + round + " file " + i);
            }
        }
        assertEquals(0, quillpodboot.parseFiles(ws.toString(), archive.body()));
        assertEquals(150, filesIn(ws).size());
        for (int i = 0; i < 150; i++) {
            assertEquals("round 2 file " + i, content("d" + (i % 7) + "/f" + i));
        }
    }

    @Test
    void badTagOnTheThirdEntryKeepsTheFirstTwo() throws Exception {
        byte[] body = new BootFixture.Archive()
                .add("one", "1")
                .add("two", "2")
                .addTagged(0xEADC12F1, BootFixture.latin1("three"), BootFixture.latin1("3"))
                .add("four", "4")
                .body();
        assertEquals(10031, quillpodboot.parseFiles(ws.toString(), body));
        assertEquals(List.of("one", "two"), filesIn(ws));
    }

    @Test
    void malformedArchivesGive10033() throws Exception {
        byte[] good = new BootFixture.Archive().add("one", "1").body();
        byte[][] bad = {
            new BootFixture.Archive().add("one", "1").raw(0xF0).body(),  // a stray byte
            new BootFixture.Archive().add("one", "1").raw(0xF0, 0x12, 0xDC, 0xEA, 200).body(),  // name length
            new BootFixture.Archive().add("one", "1").raw(0xF0, 0x12, 0xDC, 0xEA, 1, 'x', 0, 9, 0, 0, 0, 'y').body(),
            null,  // no body: decompression fell short
        };
        for (int i = 0; i < bad.length; i++) {
            Path dir = Files.createDirectory(ws.resolve("case" + i));
            assertEquals(10033, quillpodboot.parseFiles(dir.toString(), bad[i]), "case " + i);
            assertEquals(bad[i] == null ? List.of() : List.of("one"), filesIn(dir), "case " + i);
        }
        assertEquals(0, quillpodboot.parseFiles(ws.toString(), good));
    }

    @ParameterizedTest
    @ValueSource(strings = {"", "\\abs", "/abs", "C:\\x", "c:x", "..", "..\\x", "a\\..\\..\\x", "a/../../x",
        "Jz.Ky.Tx", "jz.ky.tx\\inside", ".\\quillpodboot.result", "\\\\QuillpodBoot.class", ".\\\\.\\Jz.Ky.Tx"})
    void namesReachingOutsideAreRefused(String name) throws Exception {
        Path dir = Files.createDirectory(ws.resolve("w"));
        byte[] body = new BootFixture.Archive().add("before", "ok").add(name, "escaped").add("after", "no").body();
        assertEquals(10030, quillpodboot.parseFiles(dir.toString(), body));
        assertEquals(List.of("w" + File.separator + "before"), filesIn(ws), "nothing of the refused entry");
    }

    @Test
    void unwritableFileGives10030() throws Exception {
        Files.createDirectories(ws.resolve("taken"));
        byte[] body = new BootFixture.Archive().add("taken", "a directory is in the way").body();
        assertEquals(10030, quillpodboot.parseFiles(ws.toString(), body));

        BootFixture.Archive many = new BootFixture.Archive();  // enough for several writers
        for (int i = 0; i < 200; i++) {
            many.add(i == 150 ? "taken" : "many\\f" + i, "x");
        }
        assertEquals(10030, quillpodboot.parseFiles(ws.toString(), many.body()));
    }
}
