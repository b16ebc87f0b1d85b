import static org.junit.jupiter.api.Assertions.assertEquals;
import static org.junit.jupiter.api.Assertions.assertTrue;

import java.io.IOException;
import java.nio.charset.StandardCharsets;
import java.nio.file.Files;
import java.nio.file.Paths;
import java.util.regex.Matcher;
import java.util.regex.Pattern;
import org.junit.jupiter.api.Test;

/** The launcher acts on two of the boot stage's result codes; both sides must mean the same numbers. */
class ResultCodesTest {

    @Test
    void theLauncherReadsTheCodesTheBootStageGives() throws IOException {
        String header = new String(Files.readAllBytes(
            Paths.get(System.getenv("QUILLPOD_SOURCE_DIR"), "launcher", "boot_stage.h")), StandardCharsets.UTF_8);
        assertEquals(quillpodboot.R_VM_TOO_OLD, constant(header, "kBootVmTooOld"));
        assertEquals(quillpodboot.R_MAIN_NOT_LOADED, constant(header, "kBootCannotLoadMain"));
    }

    private static int constant(String header, String name) {
        Matcher m = Pattern.compile("constexpr\\s+int\\s+" + name + "\\s*=\\s*(\\d+)\\s*;").matcher(header);
        assertTrue(m.find(), name + " in launcher/boot_stage.h");
        return Integer.parseInt(m.group(1));
    }
}
