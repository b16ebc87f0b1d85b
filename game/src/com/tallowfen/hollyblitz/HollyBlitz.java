package com.tallowfen.hollyblitz;

import com.tallowfen.util.ApplicationAudioClip;
import com.tallowfen.util.ImageManager;
import java.awt.Color;
import java.awt.Frame;
import java.awt.Graphics;
import java.awt.Image;
import java.awt.event.KeyEvent;
import java.awt.image.BufferedImage;
import java.util.Random;
import java.util.Vector;

/**
 * The game itself: its window, the main loop, the game state, the world lists,
 * the score and the tables of pictures and sounds. World objects live in the
 * lists and reach everything else through this object. It coordinates; the
 * work is done in rooms of its own: ScreensPainter paints the screens,
 * WindowWiring connects the listeners, LoopPacing keeps the loop's time,
 * MediaLoader loads the tables, ScoreRecord and ScoreConnection make and send
 * a score report, PageOpener shows pages and Alerts tells the player.
 */
public class HollyBlitz extends Frame implements Runnable {

    private static final long serialVersionUID = 1L;

    public static final double PI = 3.141592653589793;
    public static final int FRAMERATE = 33;
    public static final int ANIMRATE = 50;
    public static final int TURRETRATE = 1;
    public static final int MAXSHELLS = 10;
    public static final int SHELLDELAY = 3;
    public static final int SHELLVELOCITY = 6;
    public static final int SLEIGHLENGTH = 32;
    public static final int HARNESSLENGTH = 58;
    public static final int SLEIGHHEIGHT = 54;
    public static final int SLEIGHSPEED = 3;
    public static final int SLEIGHDELAY = 25000;
    public static final int GROUNDLEVEL = 420;
    public static final int DROPPERCENT = 40;
    public static final int PRESENTSPEED = 3;
    public static final int SANTACHANCE = 0;
    public static final int BANNERPERCENT = 10;
    public static final int INSET = 22;
    public static final double GRAVITY = 0.25;
    public static final double CHUTESPEED = 1.75;
    public static final double FALLSPEED = 5.0;
    public static final double CRASHVELOCITY = 2.0;

    public static final int PLAYING = 0;
    public static final int PAUSED = 1;
    public static final int PREGAME = 2;
    public static final int POSTGAME = 3;
    public static final int FRONTSCREEN = 4;
    public static final int BACKSCREEN1 = 5;
    public static final int BACKSCREEN2 = 6;
    public static final int SUBMITSCORE = 7;
    public static final int UNKNOWN = 8;

    public static final int NULLOBJECT = 0;
    public static final int AAAGUN = 1;
    public static final int AAAGUNBASE = 2;
    public static final int BACKGROUND = 3;
    public static final int BARRACKL = 4;
    public static final int BARRACKLDECA = 5;
    public static final int BARRACKLDECB = 6;
    public static final int BARRACKLDECC = 7;
    public static final int BARRACKR = 8;
    public static final int BARRACKRDECA = 9;
    public static final int BARRACKRDECB = 10;
    public static final int BARRACKRDECC = 11;
    public static final int ELFCELEBRATE = 12;
    public static final int ELFCLIMBING = 13;
    public static final int ELFDECORATING = 14;
    public static final int ELFFALLING = 15;
    public static final int ELFLADDER = 16;
    public static final int ELFPARACHUTING = 17;
    public static final int ELFRUNNINGLR = 18;
    public static final int ELFRUNNINGRL = 19;
    public static final int ELFBLASTEDLR = 20;
    public static final int ELFBLASTEDRL = 21;
    public static final int ELFBOUNCING = 22;
    public static final int MIDGROUND = 23;
    public static final int PARACHUTE = 24;
    public static final int PARACHUTEBLASTED = 25;
    public static final int PARACHUTEOPENING = 26;
    public static final int PRESENTA = 27;
    public static final int PRESENTB = 28;
    public static final int PRESENTBLASTED = 29;
    public static final int PRESENTEXPLODINGA = 30;
    public static final int PRESENTEXPLODINGB = 31;
    public static final int REIN = 32;
    public static final int REINDEERLR = 33;
    public static final int REINDEERRL = 34;
    public static final int REINDEERBLASTEDLR = 35;
    public static final int REINDEERBLASTEDRL = 36;
    public static final int SANTALR = 37;
    public static final int SANTARL = 38;
    public static final int SANTACRASHINGLR = 39;
    public static final int SANTACRASHINGRL = 40;
    public static final int SHELL = 41;
    public static final int SHELLBLASTA = 42;
    public static final int SHELLBLASTB = 43;
    public static final int SLEIGHELFLR = 44;
    public static final int SLEIGHELFRL = 45;
    public static final int SLEIGHCRASHINGLR = 46;
    public static final int SLEIGHCRASHINGRL = 47;
    public static final int SMOKE = 48;
    public static final int XMASTREE = 49;
    public static final int FRONTSPLASH = 50;
    public static final int BACKSPLASHA = 51;
    public static final int BACKSPLASHB = 52;
    public static final int BANNER = 53;
    public static final int ENDSPLASH = 54;
    public static final int SCORESPLASH = 55;
    public static final int CHANGEPUFF = 56;

    public static final int GUNFIRING = 1;
    public static final int PARACHUTESHREDDED = 2;
    public static final int ELFBOUNCE = 3;
    public static final int ELFHIT1 = 4;
    public static final int ELFHIT2 = 5;
    public static final int ELFHIT3 = 6;
    public static final int ELFHIT4 = 7;
    public static final int ELFHIT5 = 8;
    public static final int ELFHIT6 = 9;
    public static final int ELFHIT7 = 10;
    public static final int SLEIGHHITA = 11;
    public static final int SLEIGHHITB = 12;
    public static final int SLEIGHFALLING1 = 13;
    public static final int SLEIGHFALLING2 = 14;
    public static final int SLEIGHFALLING3 = 15;
    public static final int SLEIGHFALLING4 = 16;
    public static final int SLEIGHFALLING5 = 17;
    public static final int DEERHIT1 = 18;
    public static final int DEERHIT2 = 19;
    public static final int DEERHIT3 = 20;
    public static final int MERRYXMAS = 21;
    public static final int SANTAAPPEARS = 22;
    public static final int SANTACRASH = 23;
    public static final int BGM = 24;
    public static final int ELFDECORATE = 25;
    public static final int PRESENTDROP = 26;
    public static final int PRESENTDROP2 = 27;
    public static final int PRESENTDROP3 = 28;
    public static final int PRESENTBURST1 = 29;
    public static final int PRESENTBURST2 = 30;
    public static final int ELFCHEER2 = 31;
    public static final int PRESENTEXPLODE = 32;

    /*
     * Where the game reaches the outside world: the high-score server, and
     * the pages its link buttons open (the high-score table, the maker's home
     * page, the maker's web games, the partner's game). The build may set
     * each of them; they stay assignable so a test can point the game at a
     * server or page of its own.
     */
    static String scoreServer = GameAddresses.SCORE_SERVER;
    static int scorePort = GameAddresses.SCORE_PORT;
    static String highscorePage = GameAddresses.HIGHSCORE_PAGE;
    static String homePage = GameAddresses.HOME_PAGE;
    static String webGamesPage = GameAddresses.WEBGAMES_PAGE;
    static String partnerPage = GameAddresses.PARTNER_PAGE;

    static final String TITLE = "Tallowfen: Tinsel Barrage!";
    static final int IMAGE_SLOTS = 64;
    static final int SOUND_SLOTS = 48;
    /*
     * A host that does not answer must not hold the player for minutes: the
     * connection (name look-up included) gets this long, and so does the
     * sending after it. Assignable, so a test can wait less.
     */
    static int scoreConnectMillis = 10000;
    static int scoreSendMillis = 10000;

    volatile Thread runner;
    /** Latest time sample of the loop, in milliseconds of the monotonic clock. */
    long timer;
    /** When the loop last asked for a repaint, in milliseconds of the monotonic clock. */
    long lastAnim;
    Frame thisFrame;
    int xScreenSize = 600;
    int yScreenSize = 472;
    Graphics offscreen;
    Image offscreenImg;
    volatile int gameState = UNKNOWN;
    Target imageObserver;
    ImageObject[] gameImages = new ImageObject[IMAGE_SLOTS];
    ApplicationAudioClip[] gameSounds = new ApplicationAudioClip[SOUND_SLOTS];
    ImageManager imageManager;
    AAAGun gun;
    GunBase base;
    SleighManager sleighManager;
    GameObject background;
    GameObject midground;
    GameObject frontSplash;
    GameObject backSplashA;
    GameObject backSplashB;
    GameObject endSplash;
    GameObject scoreSplash;
    final Vector<GameObject> banners = new Vector<GameObject>(8);
    final Vector<GameObject> barracks = new Vector<GameObject>(6);
    final Vector<GameObject> elves = new Vector<GameObject>(32);
    final Vector<GameObject> parachutes = new Vector<GameObject>(32);
    final Vector<GameObject> presents = new Vector<GameObject>(32);
    final Vector<GameObject> reins = new Vector<GameObject>(48);
    final Vector<GameObject> reindeers = new Vector<GameObject>(48);
    final Vector<GameObject> shells = new Vector<GameObject>(32);
    final Vector<GameObject> sleighs = new Vector<GameObject>(32);
    final Vector<GameObject> smokeTrails = new Vector<GameObject>(64);
    int score;
    Random r;
    volatile boolean arrowLeft;
    volatile boolean arrowRight;
    volatile boolean spaceBar;
    /** Picture file stems and frame counts, one pair per image id in id order. */
    String[] fileList = AssetTables.fileList();
    static HollyBlitz mainObj;

    /**
     * Serialises everything that walks or changes the world: each logic step,
     * each paint pass and each input action that changes the state or the
     * world. Never held across network I/O or a modal dialog.
     */
    final Object worldLock = new Object();
    /** The folder the boot stage unpacked the media into. */
    String workspace;
    /** The window's drawing area: the play area, 600 x 450, whatever the decorations. */
    final GameCanvas playfield;
    /** Shows the link buttons' pages; a test may put a recorder here. */
    PageOpener pageOpener = new PageOpener();
    /** The screens' texts, each fitted into the play area. */
    final ScreenText screenText = new ScreenText(600);
    /** Paints each screen into the back buffer. */
    final ScreensPainter screens = new ScreensPainter(this);
    /** The score entry form; its controls are children of this window. */
    final ScoreInterface scoreInterface;

    public HollyBlitz() {
        thisFrame = this;
        imageManager = new ImageManager(this);
        r = new Random(System.currentTimeMillis());
        String dir = System.getProperty("quillpod.dir");
        workspace = dir != null ? dir : ".";
        playfield = new GameCanvas(this);
        add(playfield);
        scoreInterface = new ScoreInterface(this);
    }

    public static void main(String[] argv) {
        mainObj = new HollyBlitz();
        mainObj.init();
        mainObj.setTitle(TITLE);
        mainObj.setLocationRelativeTo(null);
        mainObj.setVisible(true);
    }

    /** One-time set-up; ends by starting the main loop. */
    public void init() {
        System.out.println("Begin initialization...");
        setGameState(UNKNOWN);
        xScreenSize = 600;
        yScreenSize = 472;
        addNotify();
        // Size the drawing area, not the window: title bars differ between desktops.
        setResizable(false);
        pack();
        imageObserver = new Target();
        createBackBuffer();
        requestFocus();
        loadObjectImages();
        loadSounds();
        createPanels();
        offscreen.setFont(ScreenText.FACE);
        WindowWiring.addListeners(this);
        // The borders have settled while the game loaded.
        PlayAreaFit.fit(this);
        setGameState(FRONTSCREEN);
        timer = LoopPacing.now();
        lastAnim = timer;
        start();
    }

    /**
     * Readies a game that is never shown, for the benchmarks, the bot and the
     * soak: the pictures from the workspace, the back buffer and the panels,
     * the random generator seeded, and the front screen up. No loop runs:
     * the caller takes the logic steps and paint passes.
     */
    void startHeadless(String workspaceDir, long seed) {
        workspace = workspaceDir;
        loadObjectImages();
        createBackBuffer();
        createPanels();
        r.setSeed(seed);
        setGameState(FRONTSCREEN);
    }

    /** The back buffer: the play area and the 22 rows above it, drawn into between copies to the window. */
    void createBackBuffer() {
        offscreenImg = new BufferedImage(xScreenSize, yScreenSize, BufferedImage.TYPE_INT_RGB);
        offscreen = offscreenImg.getGraphics();
        // Text drawn by the shell sets no colour of its own: use the window's usual black.
        offscreen.setColor(Color.black);
        offscreen.setFont(ScreenText.FACE);
    }

    /** The seven full panels; the landscape, end and score panels stand where the screens need them. */
    void createPanels() {
        background = new SplashScreen(this, BACKGROUND);
        midground = new SplashScreen(this, MIDGROUND);
        frontSplash = new SplashScreen(this, FRONTSPLASH);
        backSplashA = new SplashScreen(this, BACKSPLASHA);
        backSplashB = new SplashScreen(this, BACKSPLASHB);
        endSplash = new SplashScreen(this, ENDSPLASH);
        scoreSplash = new SplashScreen(this, SCORESPLASH);
        midground.yPos = yScreenSize - midground.height - 12;
        endSplash.xPos = xScreenSize / 2;
        endSplash.yPos = 100;
        scoreSplash.xPos = xScreenSize / 2;
        scoreSplash.yPos = 198;
    }

    /** Starts the main loop unless one is running. */
    public void start() {
        if (runner == null) {
            runner = new Thread(this, "Main loop");
            runner.start();
        }
    }

    /** Asks the main loop to end after its current step. */
    public void stop() {
        runner = null;
    }

    /** The main loop: a logic step every FRAMERATE ms, a repaint request every ANIMRATE ms. */
    @Override
    public void run() {
        Thread me = Thread.currentThread();
        while (runner == me) {
            long frameStart = LoopPacing.now();
            logicStep();
            timer = LoopPacing.now();
            if (LoopPacing.repaintDue(lastAnim, timer)) {
                lastAnim = timer;
                playfield.repaint();
            }
            timer = LoopPacing.now();
            long rest = LoopPacing.restAfterStep(frameStart, timer);
            if (rest > 0) {
                LoopPacing.rest(rest);
            }
        }
    }

    /** One logic step under the world lock; a fault in it is reported and the game goes on. */
    void logicStep() {
        synchronized (worldLock) {
            try {
                doMain();
            } catch (RuntimeException e) {
                reportFault(e);
            }
        }
    }

    /** Says what went wrong in a step or a paint pass, which the game then skips. */
    void reportFault(RuntimeException e) {
        e.printStackTrace();
    }

    @Override
    public void update(Graphics screen) {
        paint(screen);
    }

    /**
     * Draws the current state into the back buffer and copies the play area to
     * the window; `screen` is in the window's coordinates.
     */
    @Override
    public void paint(Graphics screen) {
        if (offscreenImg == null) {
            return;
        }
        synchronized (worldLock) {
            paintBackBuffer();
            screen.drawImage(offscreenImg, playfield.getX(), playfield.getY() - INSET, null);
        }
    }

    /** One paint pass into the back buffer; a fault in it is reported and the picture stays as far as it got. */
    void paintBackBuffer() {
        synchronized (worldLock) {
            try {
                drawState();
            } catch (RuntimeException e) {
                reportFault(e);
            }
        }
    }

    /** Draws what the current state shows into the back buffer. */
    void drawState() {
        screens.drawState();
    }

    /** The world, back to front, with the score line. */
    void gameDraw() {
        screens.gameDraw();
    }

    /** The pause texts, over the picture the game was paused on. */
    void pauseDraw() {
        screens.pauseDraw();
    }

    /** The end-game panel over the world. */
    void endGameDraw() {
        screens.endGameDraw();
    }

    /** Releases the back buffer's drawing context just before the program ends. */
    public void destroy() {
        if (offscreen != null) {
            offscreen.dispose();
        }
    }

    /** One logic step: the world moves only while a game is played or its end is shown. */
    void doMain() {
        doControls();
        if (gameState == PLAYING) {
            doAllMovement();
            doAllCollision();
            if (sleighManager != null) {
                sleighManager.randomSleigh();
            }
            if (gun != null) {
                gun.gunTimer();
            }
        }
        // Read again: a game that ended during this step moves once more.
        if (gameState == POSTGAME || gameState == SUBMITSCORE) {
            doAllMovement();
            doAllCollision();
        }
    }

    /** Moves every world object once, list by list in a fixed order. */
    void doAllMovement() {
        moveAll(shells);
        moveSleighs();
        moveAll(reindeers);
        moveAll(reins);
        moveAll(elves);
        moveAll(parachutes);
        moveAll(presents);
        moveAll(smokeTrails);
        moveAll(banners);
    }

    /** Re-reads the size on every turn, so objects may leave or join the list while it is walked. */
    private static void moveAll(Vector<? extends GameObject> list) {
        for (int i = 0; i < list.size(); i++) {
            list.get(i).doMove();
        }
    }

    /** Each sleigh drops what it carries and smokes if it is a wreck right after its move. */
    private void moveSleighs() {
        for (int i = 0; i < sleighs.size(); i++) {
            GameObject o = sleighs.get(i);
            o.doMove();
            if (o instanceof Sleigh) {
                Sleigh sleigh = (Sleigh) o;
                sleigh.doDrop();
                sleigh.doSmoke();
            }
        }
    }

    /** Lets every shell test for hits; shells are the only objects that do. */
    void doAllCollision() {
        for (int i = 0; i < shells.size(); i++) {
            GameObject o = shells.get(i);
            if (o instanceof Shell) {
                Shell shell = (Shell) o;
                shell.doCollision(shell);
            }
        }
    }

    /** The held keys act on the gun only while a game is played. */
    void doControls() {
        if (gameState == PLAYING) {
            gunControls();
        }
    }

    /** Turns the turret and fires from the held keys, once per logic step. */
    void gunControls() {
        if (gun != null) {
            gun.turret(arrowLeft, arrowRight, spaceBar);
        }
    }

    /** Records a press (true) or release of a key the gun answers to; other keys hold nothing. */
    void holdKey(int keyCode, boolean held) {
        if (keyCode == KeyEvent.VK_LEFT) {
            arrowLeft = held;
        } else if (keyCode == KeyEvent.VK_RIGHT) {
            arrowRight = held;
        } else if (keyCode == KeyEvent.VK_SPACE) {
            spaceBar = held;
        }
    }

    /** Starts a game on the world as it is; restartGame empties it first. */
    void startGame() {
        synchronized (worldLock) {
            sleighManager = new SleighManager(this);
            gun = new AAAGun(this);
            base = new GunBase(this);
            for (int n = 1; n <= 6; n++) {
                barracks.add(new Barrack(this, n));
            }
            setGameState(PLAYING);
        }
    }

    /** Empties the world (banners fly on) and starts a new game. */
    void restartGame() {
        synchronized (worldLock) {
            gun = null;
            base = null;
            sleighManager = null;
            barracks.clear();
            elves.clear();
            parachutes.clear();
            presents.clear();
            reins.clear();
            reindeers.clear();
            shells.clear();
            sleighs.clear();
            smokeTrails.clear();
            score = 0;
            startGame();
        }
    }

    /** Ends a running or paused game; in any other state it does nothing. */
    void gameEnd() {
        synchronized (worldLock) {
            if (gameState != PLAYING && gameState != PAUSED) {
                return;
            }
            elfVictoryDance();
            playSound(MERRYXMAS);
            playSound(ELFCHEER2);
            setGameState(POSTGAME);
        }
    }

    /** The elves on the ground celebrate; those in the air or hit keep their pictures. */
    void elfVictoryDance() {
        for (int i = 0; i < elves.size(); i++) {
            GameObject elf = elves.get(i);
            switch (elf.imageRef) {
                case ELFFALLING:
                case ELFPARACHUTING:
                case ELFBLASTEDLR:
                case ELFBLASTEDRL:
                    break;
                case ELFLADDER:
                    // A ladder elf has no speed left: it stays put and shows the falling picture.
                    elf.become(ELFFALLING);
                    break;
                default:
                    elf.become(ELFCELEBRATE);
                    break;
            }
        }
    }

    /** Moves the game to another screen; the one place the state changes. */
    void setGameState(int state) {
        gameState = state;
    }

    /** Escape: a running game pauses, a paused one goes on; nothing elsewhere. */
    void togglePause() {
        if (gameState == PLAYING) {
            setGameState(PAUSED);
        } else if (gameState == PAUSED) {
            setGameState(PLAYING);
        }
    }

    /** Ends the program at once; the launcher then clears up after the game. */
    void endProgram() {
        System.exit(0);
    }

    /** Adds a hit's points to the counter, which stops where the shown score would overflow. */
    void addPoints(int points) {
        score = (int) Math.min((long) score + points, ScoreLimits.MAX_COUNTER);
    }

    /** The score as the player sees it and the server gets it: the counter times ten. */
    static int pointsShown(int counter) {
        return counter * 10;
    }

    /** A random integer from 0 to n - 1 from the game's generator. */
    int randomBelow(int n) {
        return (int) (r.nextDouble() * n);
    }

    /** Starts a sound by id; an empty slot plays nothing. */
    void playSound(int soundRef) {
        ApplicationAudioClip clip = soundRef >= 0 && soundRef < gameSounds.length ? gameSounds[soundRef] : null;
        if (clip != null) {
            clip.play();
        }
    }

    /** Frame `frameNo` of picture `imageId`, or null past its last frame or for an unknown id. */
    Image frame(int imageId, int frameNo) {
        if (imageId < 0 || imageId >= gameImages.length) {
            return null;
        }
        ImageObject picture = gameImages[imageId];
        if (picture == null || frameNo < 0 || frameNo >= picture.objectImage.length) {
            return null;
        }
        return picture.objectImage[frameNo];
    }

    /** Fills the picture table from the workspace and waits until every frame has loaded or failed. */
    void loadObjectImages() {
        MediaLoader.loadImages(workspace, fileList, imageManager, gameImages);
    }

    /** Fills the sound table from the workspace; a missing file gives a clip that plays nothing. */
    void loadSounds() {
        MediaLoader.loadSounds(workspace, gameSounds);
    }

    /** The file stem of a sound id, or null for an id without a sound. */
    String getSoundFileReference(int soundRef) {
        return AssetTables.soundStem(soundRef);
    }

    /** The integer position an object is drawn at, its fractions dropped toward zero. */
    void setIntPosition(GameObject o) {
        o.xIntPos = (int) o.xPos;
        o.yIntPos = (int) o.yPos;
    }

    /** A turret heading in degrees as radians. */
    double toRadians(double heading) {
        return heading * 0.017453292519943295;
    }

    // Buttons. Each takes a press in play-area coordinates and acts only inside its rectangle.

    void buttonPlay(int x, int y) {
        if (ButtonRect.PLAY.contains(x, y)) {
            startGame();
            setGameState(PLAYING);
        }
    }

    boolean buttonTallowfenFront(int x, int y) {
        return ButtonRect.TALLOWFEN_FRONT.contains(x, y) && pageOpener.show(homePage);
    }

    void buttonReplay(int x, int y) {
        if (ButtonRect.REPLAY.contains(x, y)) {
            restartGame();
            setGameState(PLAYING);
        }
    }

    /** A game without points cannot be reported. */
    void buttonScore(int x, int y) {
        if (ButtonRect.SCORE.contains(x, y) && score > 0) {
            setGameState(SUBMITSCORE);
            scoreInterface.showScoreInterface();
        }
    }

    void buttonExit(int x, int y) {
        if (ButtonRect.EXIT.contains(x, y)) {
            setGameState(BACKSCREEN1);
        }
    }

    void buttonHighscoreB(int x, int y) {
        if (ButtonRect.HIGHSCORE_B.contains(x, y)) {
            pageOpener.show(highscorePage);
        }
    }

    boolean buttonThroneward(int x, int y) {
        return ButtonRect.THRONEWARD.contains(x, y) && pageOpener.show(partnerPage);
    }

    boolean buttonJava(int x, int y) {
        return ButtonRect.JAVA.contains(x, y) && pageOpener.show(webGamesPage);
    }

    boolean buttonTallowfenBackB(int x, int y) {
        return ButtonRect.TALLOWFEN_BACK_B.contains(x, y) && pageOpener.show(homePage);
    }

    /**
     * The score entry form's submit button: reports the score once, whatever
     * the outcome, then returns to the end-game panel. Holds the game
     * object's lock; the world lock only for the moments the score and the
     * state change, never across the network or a dialog.
     */
    void buttonSubmit(int x, int y) {
        synchronized (this) {
            if (!ButtonRect.SUBMIT.contains(x, y)) {
                return;
            }
            String problem = ScoreRecord.formProblem(scoreInterface.handleField.getText(),
                scoreInterface.emailField.getText());
            if (problem != null) {
                Alerts.show(this, "Error", problem);
                return;
            }
            int value;
            synchronized (worldLock) {
                if (score <= 0) {
                    return;
                }
                value = score;
                score = 0;
            }
            submitScore(value);
            scoreInterface.hideScoreInterface();
            synchronized (worldLock) {
                setGameState(POSTGAME);
            }
        }
    }

    void buttonCancel(int x, int y) {
        if (ButtonRect.CANCEL.contains(x, y)) {
            scoreInterface.hideScoreInterface();
            setGameState(POSTGAME);
        }
    }

    void buttonHighscoreA(int x, int y) {
        if (ButtonRect.HIGHSCORE_A.contains(x, y)) {
            pageOpener.show(highscorePage);
        }
    }

    /**
     * Sends the score record (counter x 10, name, e-mail address, opt-in) to
     * the score server over a fresh connection and tells the player how it went.
     */
    void submitScore(int theScore) {
        String name = scoreInterface.handleField.getText();
        String email = scoreInterface.emailField.getText();
        if (ScoreRecord.formProblem(name, email) != null) {
            return;
        }
        byte[] record = ScoreRecord.lines(pointsShown(theScore), name, email, scoreInterface.emailCheckbox.getState());
        String failure = ScoreConnection.report(scoreServer, scorePort, record, scoreConnectMillis, scoreSendMillis);
        if (failure != null) {
            Alerts.show(this, "Error", failure);
        } else {
            Alerts.show(this, "Success", "Your score has been recorded!");
        }
    }

    /** One byte per character: its low 8 bits XOR the record's scramble key. */
    static byte[] cryptString(String s) {
        return ScoreRecord.scramble(s);
    }
}
