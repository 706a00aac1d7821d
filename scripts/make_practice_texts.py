#!/usr/bin/env python3
"""Writes Kelvo's 950 numbered practice texts into data/P0 .. data/P9.

Block k holds texts 100k+1 .. 100k+100 (P9 holds 901..950), one text per line,
each line ended by CR LF, plain ASCII.  The texts grow in length and difficulty:
tiny phrases of common words first, then short sentences, then numbers,
punctuation and amateur-radio style exchanges, up to long sentences and whole
exchanges of about 200 characters.

Only characters that Kelvo keys are used: letters, digits, space and
. , ? / =  (the keyer sends ':' ';' '+' '*' as procedure signals and '@' as a
run of dits, so those never appear; '-' is keyed as BT, so a phone number is
written with a space, "555 0149").  The two operators of a contact always
have different names.  Call signs all begin with Q, a prefix no country issues, so
none of them belongs to a real station.

The output depends only on SEED and the lists below: running the script again
rewrites the same bytes.  Python 3 standard library only.

    python3 scripts/make_practice_texts.py [output folder, default: data]
"""

import os
import random
import re
import sys

SEED = 19440524

TEXT_COUNT = 950
TEXTS_PER_BLOCK = 100
ALLOWED = re.compile(r"^[A-Za-z0-9 .,?/=]+$")

# ---------------------------------------------------------------- word lists

# The first texts: tiny phrases of common short words, no punctuation yet.
PHRASES = """
a big dog|a red hat|the hot sun|go home now|sit down|come in|up and down
in and out|yes or no|a cup of tea|a cold day|my old car|see you soon
good day|well done|not now|all of us|one or two|time to go|get up
run home|at home|by the sea|on the map|ten men|the old man|a new pen
the cat is fat|it is hot|we can go|he is up|she is in|the bus is late
a long road|the sky is blue|my dad|an egg|a big box|on the bed|put it on
two red cups|a hot bath|the sea is calm|a map and a pen|the last bus
look at me|ask the man|at the top|go to bed|as soon as we can|a job well done
the key to the box|far and near|my own room|a warm wind|the new road
we sing|you and me|not too fast|a slow tune|the end of the day|stop here
the dog can run|he has a cat|we are at home|the tree is tall
""".replace("\n", "|").split("|")
PHRASES = [p.strip() for p in PHRASES if p.strip()]


MALE = ["Tom", "Bob", "Jim", "Ben", "Sam", "Dan", "Paul", "Jack", "Max", "Ted",
        "Ian", "Hugo", "Carl", "Omar", "Ken", "Ravi", "Leo", "Ned", "Greg",
        "Sean", "Alan", "Pete", "Karl", "Luis", "Owen", "Walt", "Ivan", "Rex"]
FEMALE = ["Ann", "Sue", "Kate", "Lucy", "Rosa", "Mary", "Nina", "Ella", "Ruth",
          "Jill", "Lena", "Vera", "Emma", "Zoe", "Amy", "Ida", "Tina", "Fay",
          "Olga", "Maya", "Joan", "Rita", "Greta", "Hana", "Lisa", "Dora",
          "Iris", "Beth"]
NAMES = MALE + FEMALE

CITIES = ["Oslo", "Lyon", "Perth", "Cork", "Genoa", "Bergen", "Malmo",
          "Dublin", "Leeds", "Boston", "Dallas", "Toledo", "Austin", "Quebec",
          "Porto", "Basel", "Graz", "Turku", "Kiel", "Brno", "Riga", "York",
          "Bath", "Naples", "Seville", "Tucson", "Fresno", "Omaha", "Reno",
          "Salem", "Hobart", "Darwin", "Nelson", "Ottawa", "Halifax", "Denver",
          "Bremen", "Tampere", "Aarhus", "Gdansk", "Zurich", "Madrid", "Lisbon",
          "Cardiff", "Glasgow", "Calgary", "Regina", "Durban", "Nairobi",
          "Auckland", "Adelaide", "Memphis", "Portland", "Spokane", "Mobile"]

DAYS = ["Monday", "Tuesday", "Wednesday", "Thursday", "Friday", "Saturday",
        "Sunday"]

SUBJECTS_3SG_EXTRA = ["my brother", "my sister", "the old man", "our teacher",
                      "the doctor", "my uncle", "my aunt", "the new neighbor",
                      "the captain", "my father", "my mother", "the farmer",
                      "our coach", "the young nurse"]
SUBJECTS_PL = ["we", "they", "my parents", "my cousins", "our neighbors",
               "the twins", "my friends", "the club members"]

# (base, third person singular, past, objects).  An object marked "!" is a
# one-off deed that sounds wrong as a habit ("fixes the roof every day"), so
# it is only used with a past or future time.
VERBS = [
    ("read", "reads", "read", ["a book", "the paper", "the news", "a letter",
                               "the map", "a short story", "the manual"]),
    ("write", "writes", "wrote", ["a letter", "a short note", "a poem",
                                  "the station log", "postcards"]),
    ("drink", "drinks", "drank", ["hot tea", "black coffee", "cold milk",
                                  "a glass of water", "fresh juice"]),
    ("eat", "eats", "ate", ["an apple", "fresh bread", "rice and fish",
                            "hot soup", "fresh fruit", "bread and cheese"]),
    ("play", "plays", "played", ["chess", "the piano", "the guitar", "tennis",
                                 "cards", "golf", "the drums"]),
    ("cook", "cooks", "cooked", ["rice", "fish stew", "soup", "a hot meal",
                                 "dinner", "pasta"]),
    ("clean", "cleans", "cleaned", ["the kitchen", "the car", "the windows",
                                    "!the garden shed", "the stairs"]),
    ("paint", "paints", "painted", ["!the fence", "!the front door",
                                    "!a small boat", "pictures",
                                    "!the kitchen", "birds and flowers"]),
    ("fix", "fixes", "fixed", ["!the roof", "!a flat tire", "!the gate",
                               "old radios", "!the old clock",
                               "!the kitchen tap", "bikes"]),
    ("visit", "visits", "visited", ["the museum", "the market",
                                    "an old friend", "the library",
                                    "the coast", "a friend in town"]),
    ("wash", "washes", "washed", ["the dishes", "the car", "the dog"]),
    ("carry", "carries", "carried", ["the bags", "!a heavy box",
                                     "the shopping", "!the old radio"]),
    ("build", "builds", "built", ["!a new antenna", "!a bird house",
                                  "!a wooden shelf", "model ships",
                                  "!a small radio"]),
    ("sell", "sells", "sold", ["fresh eggs", "old books", "apples",
                               "!the old car", "!the boat", "honey"]),
    ("call", "calls", "called", ["an old friend", "the office", "!the doctor",
                                 "home"]),
    ("walk", "walks", "walked", ["the dog", "to the station",
                                 "along the river", "home", "to the shop"]),
    ("send", "sends", "sent", ["a letter", "a short message", "!the report",
                               "postcards", "a card"]),
    ("learn", "learns", "learned", ["Morse code", "a new song", "new words",
                                    "!the rules"]),
    ("practice", "practices", "practiced", ["Morse code", "the piano",
                                            "for an hour", "with a friend"]),
    ("buy", "buys", "bought", ["fresh bread", "a newspaper", "some fruit",
                               "!new shoes", "!a used radio", "fresh fish"]),
    ("plant", "plants", "planted", ["tomatoes", "!a small tree",
                                    "some flowers", "beans"]),
    ("feed", "feeds", "fed", ["the cat", "the birds", "the ducks",
                              "the chickens", "the goats"]),
    ("take", "takes", "took", ["the bus", "the train", "a short walk",
                               "a nap", "the ferry"]),
    ("check", "checks", "checked", ["the weather", "the mail", "the antenna",
                                    "the log", "the tires"]),
    ("watch", "watches", "watched", ["the news", "the boats", "the game",
                                     "the birds", "old films"]),
    ("meet", "meets", "met", ["an old friend", "friends", "the team",
                              "the new coach"]),
    ("sing", "sings", "sang", ["in the choir", "old songs", "!a song"]),
    ("drive", "drives", "drove", ["the bus", "a truck", "to the coast",
                                  "a taxi"]),
]

HABIT_TIMES = ["every day", "on Sundays", "on weekends", "twice a week",
               "most days", "every week", "on Mondays", "on Fridays",
               "every Saturday"]
PAST_TIMES = ["yesterday", "last week", "two days ago", "last weekend",
              "last Sunday"] + ["on " + d for d in DAYS]
FUTURE_TIMES = ["tomorrow", "next week", "this weekend", "later today",
                "next Sunday"] + ["on " + d for d in DAYS]

DESCRIPTIONS = [
    ("the sky", ["blue", "clear", "gray", "dark", "clear and blue",
                 "dark and gray"], True),
    ("the sea", ["calm", "rough", "cold", "calm and blue", "gray and rough"],
     True),
    ("the road", ["wet", "long", "narrow", "busy", "icy", "long and narrow"],
     True),
    ("the soup", ["hot", "thick", "too hot", "hot and thick"], False),
    ("the room", ["warm", "small", "quiet", "cold", "small and warm"], False),
    ("the tea", ["hot", "sweet", "strong", "hot and sweet"], False),
    ("the river", ["wide", "deep", "high", "low", "wide and deep"], True),
    ("the wind", ["strong", "cold", "light", "cold and strong"], True),
    ("the bread", ["fresh", "warm", "fresh and warm"], False),
    ("the train", ["late", "full", "slow", "late again"], True),
    ("the garden", ["green", "small", "wet", "green and quiet"], False),
    ("the path", ["steep", "muddy", "narrow", "steep and rocky"], True),
    ("the lake", ["still", "frozen", "calm", "deep and cold"], True),
    ("the radio", ["old", "quiet", "warm", "old but good"], False),
    ("the signal", ["weak", "strong", "clear", "loud and clear"], True),
    ("the night", ["cold", "dark", "quiet", "clear and cold"], False),
    ("the water", ["cold", "clear", "deep", "warm"], True),
    ("the house", ["old", "small", "quiet", "old and cold"], False),
]

WEATHER = ["cold", "warm", "windy", "sunny", "wet", "foggy", "cloudy", "hot",
           "cold and windy", "warm and sunny", "wet and gray", "dry and mild",
           "cool and clear", "hot and dry"]
WEATHER_WHERE = ["today", "this morning", "here", "outside", "in the hills",
                 "by the sea", "in town", "this evening"]

LIVE_PLACES = ["near the sea", "in a small town", "on a farm", "in the city",
               "by the river", "on a quiet street", "in the hills",
               "near the station", "above the shop"]
DESTINATIONS = ["the park", "the beach", "the market", "the shop", "town",
                "the hills", "the station", "the radio club", "the lake",
                "the library", "the coast", "the harbor", "the post office",
                "the museum"]

THERE_IS = [
    ("a cat", ["on the roof", "in the garden", "on the wall", "by the door"]),
    ("a small boat", ["in the harbor", "on the lake", "near the pier"]),
    ("an old radio", ["on the shelf", "in the attic", "on the desk"]),
    ("a red car", ["in the street", "by the gate", "outside the shop"]),
    ("a tall tree", ["in the park", "behind the house", "by the river"]),
    ("a letter", ["on the table", "in the box", "for you"]),
    ("a bird", ["on the fence", "in the tree", "on the antenna"]),
    ("a light", ["in the window", "on the hill", "at the end of the pier"]),
    ("a map", ["on the wall", "in the car", "in the drawer"]),
]
COUNTABLE = [("boat", "boats", ["in the harbor", "on the lake"]),
             ("cat", "cats", ["in the garden", "on the wall"]),
             ("book", "books", ["on the shelf", "in the box"]),
             ("car", "cars", ["in the street", "outside the shop"]),
             ("bird", "birds", ["on the wire", "in the tree"]),
             ("radio", "radios", ["on the shelf", "in the club room"]),
             ("apple", "apples", ["in the bowl", "on the table"]),
             ("chair", "chairs", ["in the hall", "by the table"]),
             ("hen", "hens", ["in the yard", "by the barn"])]
OWNED = ["cats", "dogs", "books", "radios", "brothers", "sisters", "keys",
         "bikes", "hens", "apple trees", "guitars", "old clocks"]

# Written out in full; each is used at most once.
HAND_SENTENCES = [
    "Morse code was first sent over telegraph wires more than 150 years ago.",
    "A good operator sends at an even pace and leaves clear gaps between words.",
    "Listen to the rhythm of each letter instead of counting its dots and dashes.",
    "Practice for ten minutes every day, and your speed will grow week by week.",
    "The letter E is a single dit, and the letter T is a single dah.",
    "Sailors once used Morse code to call for help at sea.",
    "The old ship radio room had a brass key, a tall receiver and a clock on the wall.",
    "On a quiet night, signals from far away can be heard on the low bands.",
    "A simple wire antenna, cut to the right length, can work very well.",
    "If a station sends too fast for you, ask it to send slower.",
    "Most operators end a contact with the number 73, which means best wishes.",
    "Short words like the, and, for and you soon sound like single tones.",
    "Do not write down every letter at first. Try to hear whole words.",
    "Her first contact was with a station only ten miles away.",
    "The club keeps a logbook of every station it has worked since 1975.",
    "He built his first radio from a kit when he was twelve years old.",
    "A small key, a pair of headphones and a patient friend are all you need.",
    "When the band is open, you can talk to the other side of the world.",
    "The lighthouse keeper sent the weather report twice a day.",
    "Storms make crackling noises in the receiver, so we wait for calm weather.",
    "The tone should be clean and steady, with soft edges on every dit and dah.",
    "We put the antenna up between two tall trees at the end of the garden.",
    "It takes patience to learn a new skill, but every day brings a little progress.",
    "The signal faded slowly and then came back stronger than before.",
    "She copied the whole message without a single error.",
    "A dah is three times as long as a dit.",
    "The space between two words is longer than the space between two letters.",
    "Keep your hand relaxed and let the wrist do the work.",
    "The train was late, so we read the paper and drank tea in the station.",
    "After the rain stopped, the children ran out to play in the park.",
    "The market opens early, and the best bread is gone by nine.",
    "My grandfather kept his old key in a wooden box on the shelf.",
    "The ferry crosses the bay four times a day in summer.",
    "We walked along the beach and watched the boats come home.",
    "The library is quiet in the morning and busy after school.",
    "A cold wind blew from the north, and the sky turned dark.",
    "The farmer checked the sky before he started to cut the hay.",
    "Our neighbors grow beans, tomatoes and sweet peas in their garden.",
    "The old bridge was closed for repairs, so we took the long way round.",
    "Fresh snow lay on the hills, and the air was clear and cold.",
    "The radio club meets in the old school hall on the first Tuesday of each month.",
    "Every member brings a cake, and the coffee is always strong.",
    "Learning Morse code is like learning a song, one note at a time.",
    "When you miss a letter, let it go and listen for the next one.",
    "The fishing boats came in at dawn with a good catch.",
    "The children built a tree house with a rope ladder and a small window.",
    "A fox crossed the road in front of us and ran into the woods.",
    "The museum has a fine collection of old telegraph keys and sounders.",
    "In the morning the fog lifted, and we could see the islands again.",
    "The baker starts work at four and sells warm bread by seven.",
    "The mountain hut has no phone, but the warden keeps a radio for emergencies.",
    "Two stations can share one frequency if they take turns and listen first.",
    "Always listen before you call, to make sure the frequency is clear.",
    "Send your call sign clearly, and repeat it if the signals are weak.",
    "We had a picnic by the lake and stayed until the sun went down.",
    "He forgot his umbrella and came home wet to the skin.",
    "The night train to the north leaves at a quarter to ten.",
    "A steady hand and a calm mind make good Morse.",
    "The new antenna is higher than the old one, and the signals are louder.",
    "Every expert was once a beginner who did not give up.",
    "Some letters sound alike at first, so listen to them side by side.",
    "The wind dropped in the evening, and the lake became as smooth as glass.",
    "We drove along the coast road and stopped at a small harbor for lunch.",
    "The teacher played each letter twice and waited for the class to answer.",
    "The kettle is on, so sit down and tell me about your trip.",
    "He sent a postcard from every town on his way south.",
    "The bus was full, so she walked the last two miles to the village.",
    "Good copy comes from good listening, not from fast writing.",
    "Old radio operators say that a clean fist is worth more than high speed.",
    "We watched the storm roll in from the sea and heard the thunder over the hills.",
]

# Optional clauses that open a sentence about the future.
WHEN_CLAUSES = ["when the rain stops", "when the sun comes out",
                "after the storm passes", "if the weather is fine",
                "before the shop closes", "if the bus is late",
"after lunch", "if the road is clear",
                "when the wind drops", "before it gets dark"]

# ------------------------------------------------------- radio vocabulary

RADIO_MALE = [n.upper() for n in MALE]
RADIO_FEMALE = [n.upper() for n in FEMALE]
RADIO_CITIES = [c.upper() for c in CITIES]
RIGS = ["A HOMEBREW TX", "AN OLD TUBE RIG", "A SMALL QRP RIG", "A KIT RADIO",
        "A NEW TRANSCEIVER", "AN OLD MILITARY SET", "A HOMEBREW QRP RIG",
        "A SMALL PORTABLE RIG"]
ANTENNAS = ["A DIPOLE AT 12 M", "A VERTICAL", "A LONG WIRE", "A LOOP IN THE ATTIC",
            "A 3 EL YAGI", "AN END FED WIRE", "A DIPOLE IN THE TREES",
            "A GROUND PLANE", "A WIRE ON A FISHING POLE", "AN INVERTED V AT 9 M"]
WX_WORDS = [("SUNNY", 12, 33), ("CLOUDY", 5, 22), ("RAIN", 4, 18),
            ("SNOW", 0, 2), ("FOG", 2, 14), ("WINDY", 5, 20), ("CLEAR", 3, 28),
            ("SUNNY ES WARM", 20, 32), ("COLD ES WET", 1, 8),
            ("CLOUDY ES MILD", 12, 19), ("LIGHT RAIN", 6, 17)]
CONDX = ["CONDX GUD TODAY", "SOME QRM HR", "QSB ON UR SIG", "SOLID CPY",
         "GUD SIGS HR", "BAND IS NOISY", "PSE QRS", "BAND IS OPEN WIDE"]
CLOSINGS = ["HPE CUL", "73 ES GUD DX", "BEST 73", "GL ES CUL", "VY 73",
            "73 ES HPE CUL", "GUD LUCK ES 73"]
BANDS = ["80 M", "40 M", "30 M", "20 M", "17 M", "15 M"]
BAND_FREQ = {"80 M": (3.510, 3.580), "40 M": (7.005, 7.040),
             "30 M": (10.105, 10.130), "20 M": (14.010, 14.070),
             "17 M": (18.070, 18.095), "15 M": (21.010, 21.070)}
SUFFIX_AVOID = {"ASS", "SEX", "XXX", "KKK", "SOS", "FAG", "NIG", "GOD", "DIE",
                "WAR", "GAY", "ZIT", "FU", "FUK", "POO", "PEE", "CUM", "TIT",
                "QRZ", "QTH", "QSL", "QRM", "QSB", "QRP", "QRS", "QRQ"}

# ------------------------------------------------------------- generator

# A sentence's skeleton is the sentence with names, places, days and numbers
# blanked out; capping how often one skeleton may appear keeps the texts from
# echoing each other ("Max lives by the river. Lucy lives by the river.").
PROPER = re.compile(r"\b(%s)s?\b" % "|".join(NAMES + CITIES + DAYS))
DIGITS = re.compile(r"[0-9]+")
SKELETON_CAP = 2
SKELETON_CAP_NUMBERS = 3
TIME_PHRASES = [re.compile(r"\b%s\b" % t)
                for t in dict.fromkeys(HABIT_TIMES + PAST_TIMES + FUTURE_TIMES)]


def skeleton(sentence):
    return DIGITS.sub("#", PROPER.sub("_", sentence))


def shares_time(a, b):
    """True when both texts name the same time ("on Friday ... on Friday")."""
    return any(t.search(a) and t.search(b) for t in TIME_PHRASES)


class Gen:
    """All choices come from one seeded source, so the output is fixed."""

    def __init__(self, seed):
        self.r = random.Random(seed)
        self.used = set()   # sentences and lines already given out
        self.skeletons = {}  # skeleton -> times used
        self.number_kind = None  # kind of the last number sentence made
        self.calls = []

    # -- small helpers
    def pick(self, seq):
        return self.r.choice(seq)

    def call(self):
        while True:
            letters = "".join(self.pick("ABCDEFGHIJKLMNOPRSTUVWXYZ")
                              for _ in range(self.r.choice((2, 3, 3))))
            if letters in SUFFIX_AVOID or letters[:2] in SUFFIX_AVOID:
                continue
            c = "Q" + str(self.r.randint(0, 9)) + letters
            if c not in self.calls:
                self.calls.append(c)
                return c

    def name(self):
        return self.pick(NAMES)

    def rst(self):
        r = self.r.choice((5, 5, 5, 4, 4, 3))
        s = {5: (5, 9), 4: (4, 8), 3: (3, 6)}[r]
        return "%d%d%d" % (r, self.r.randint(*s), self.r.choice((9, 9, 9, 8)))

    def clock(self, lo=6, hi=22):
        return "%d.%02d" % (self.r.randint(lo, hi), self.pick((0, 5, 10, 15,
                                                               20, 30, 40, 45,
                                                               50)))

    # -- subjects
    def subject(self, asking=False):
        """(text, person) where person is '3' (he/she/it form) or 'b'.
        Statements may speak of "I", questions ask "you"."""
        x = self.r.random()
        if x < 0.45:
            return self.name(), "3"
        if x < 0.6:
            return self.pick(SUBJECTS_3SG_EXTRA), "3"
        if x < 0.75:
            a, b = self.r.sample(NAMES, 2)
            return a + " and " + b, "b"
        if x < 0.88:
            return self.pick(SUBJECTS_PL), "b"
        return ("you" if asking else "I"), "b"

    def verb_object(self, habit, subject=""):
        while True:
            base, third, past, objs = self.pick(VERBS)
            options = [o for o in objs if not (habit and o.startswith("!"))]
            obj = self.pick(options).lstrip("!")
            if obj.split()[-1] not in subject:
                return base, third, past, obj

    # -- clauses: lower-case start unless a name or I, no final stop
    def clause_present(self, with_time=True):
        subj, person = self.subject()
        base, third, _, obj = self.verb_object(habit=True, subject=subj)
        v = third if person == "3" else base
        t = " " + self.pick(HABIT_TIMES) if with_time else ""
        return "%s %s %s%s" % (subj, v, obj, t)

    def clause_past(self, with_time=True):
        subj, _ = self.subject()
        _, _, past, obj = self.verb_object(habit=False, subject=subj)
        t = " " + self.pick(PAST_TIMES) if with_time else ""
        return "%s %s %s%s" % (subj, past, obj, t)

    def clause_future(self, with_time=True):
        subj, _ = self.subject()
        base, _, _, obj = self.verb_object(habit=False, subject=subj)
        t = " " + self.pick(FUTURE_TIMES) if with_time else ""
        return "%s will %s %s%s" % (subj, base, obj, t)

    def clause_modal(self):
        subj, person = self.subject()
        base, _, _, obj = self.verb_object(habit=True, subject=subj)
        kind = self.pick(("like", "want", "can", "must"))
        if kind in ("like", "want"):
            v = kind + ("s" if person == "3" else "") + " to"
        else:
            v = kind
        return "%s %s %s %s" % (subj, v, base, obj)

    def clause_describe(self):
        noun, preds, outdoor = self.pick(DESCRIPTIONS)
        tail = " today" if outdoor and self.r.random() < 0.4 else ""
        return "%s is %s%s" % (noun, self.pick(preds), tail)

    def clause_weather(self):
        w = self.pick(WEATHER)
        x = self.r.random()
        if x < 0.5:
            return "it is %s %s" % (w, self.pick(WEATHER_WHERE))
        if x < 0.75:
            return "it was %s %s" % (w, self.pick(("yesterday", "last night",
                                                    "all week", "on " +
                                                    self.pick(DAYS))))
        return "it will be %s %s" % (w, self.pick(("tomorrow", "tonight",
                                                    "on " + self.pick(DAYS),
                                                    "this weekend")))

    def clause_live(self):
        subj, person = self.subject()
        v = "lives" if person == "3" else "live"
        place = self.pick(LIVE_PLACES + ["in " + self.pick(CITIES),
                                         "near " + self.pick(CITIES)])
        return "%s %s %s" % (subj, v, place)

    def clause_go(self):
        subj, person = self.subject()
        dest = self.pick(DESTINATIONS)
        x = self.r.random()
        if x < 0.35:
            v = "goes" if person == "3" else "go"
            return "%s %s to %s %s" % (subj, v, dest, self.pick(HABIT_TIMES))
        if x < 0.7:
            return "%s went to %s %s" % (subj, dest, self.pick(PAST_TIMES))
        return "%s will go to %s %s" % (subj, dest, self.pick(FUTURE_TIMES))

    def clause_there(self):
        thing, places = self.pick(THERE_IS)
        return "there is %s %s" % (thing, self.pick(places))

    def compound(self):
        """Two clauses of one kind joined by "and": two pictures of the
        scene, or two people doing things at the same time."""
        kind = self.pick(("scene", "present", "past", "future"))
        if kind == "scene":
            a = self.pick((self.clause_describe, self.clause_weather))()
            while True:
                b = self.clause_describe()
                if b.split()[1] not in a:
                    return a + ", and " + b
        make = {"present": self.clause_present, "past": self.clause_past,
                "future": self.clause_future}[kind]
        a = make()
        while True:
            b = make(with_time=False)
            if b.split()[0] not in a and b.split()[-1] not in a:
                return a + ", and " + b

    def simple_clause(self):
        return self.pick((self.clause_present, self.clause_present,
                          self.clause_past, self.clause_future,
                          self.clause_modal, self.clause_describe,
                          self.clause_weather, self.clause_live,
                          self.clause_go, self.clause_there))()

    # -- whole sentences
    def question(self):
        x = self.r.random()
        if x < 0.2:
            base, _, _, obj = self.verb_object(habit=True)
            return "Do you %s %s?" % (base, obj)
        if x < 0.35:
            base, _, _, obj = self.verb_object(habit=True)
            return "Does %s %s %s %s?" % (self.name(), base, obj,
                                          self.pick(HABIT_TIMES))
        if x < 0.5:
            subj, _ = self.subject(asking=True)
            base, _, _, obj = self.verb_object(habit=False, subject=subj)
            return "Did %s %s %s %s?" % (subj, base, obj,
                                         self.pick(PAST_TIMES))
        if x < 0.65:
            subj, _ = self.subject(asking=True)
            base, _, _, obj = self.verb_object(habit=False, subject=subj)
            return "Will %s %s %s %s?" % (subj, base, obj,
                                          self.pick(FUTURE_TIMES))
        if x < 0.75:
            while True:
                base, _, _, objs = self.pick(VERBS)
                deeds = [o[1:] for o in objs if o.startswith("!")]
                if deeds:
                    return "Can you %s %s?" % (base, self.pick(deeds))
        if x < 0.85:
            return "Where does %s live?" % self.name()
        if x < 0.92:
            noun, preds, _ = self.pick(DESCRIPTIONS)
            return "Is %s %s?" % (noun, self.pick(preds))
        return "When will %s go to %s?" % (self.name(),
                                           self.pick(DESTINATIONS))

    def short_sentence(self):
        """Three to six words: the first sentences a learner hears."""
        x = self.r.random()
        if x < 0.3:
            subj = self.name()
            _, third, _, obj = self.verb_object(habit=True)
            return "%s %s %s." % (subj, third, obj)
        if x < 0.5:
            return cap(self.clause_describe().replace(" today", "")) + "."
        if x < 0.62:
            return "It is %s %s." % (self.pick(WEATHER[:8]),
                                     self.pick(("today", "here", "outside")))
        if x < 0.75:
            base, _, _, obj = self.verb_object(habit=True)
            return "I %s %s." % (self.pick(("like", "want")) + " to " + base
                                 if self.r.random() < 0.3 else base, obj)
        if x < 0.85:
            return "%s lives %s." % (self.name(), self.pick(LIVE_PLACES[:6]))
        if x < 0.93:
            base, _, _, obj = self.verb_object(habit=True)
            return "Do you %s %s?" % (base, obj)
        thing, places = self.pick(THERE_IS)
        return "There is %s %s." % (thing, self.pick(places))

    def sentence(self, level):
        """One sentence; compound forms appear from level 3 on."""
        x = self.r.random()
        if x < 0.15:
            return self.question()
        if level >= 3 and x < 0.30:
            return cap(self.compound()) + "."
        if level >= 4 and x < 0.42:
            when = self.pick(WHEN_CLAUSES)
            return cap(when) + ", " + self.clause_future(with_time=False) + "."
        if level >= 4 and x < 0.50:
            past = self.clause_past(with_time=True)
            while True:
                _, _, p2, obj = self.verb_object(habit=False)
                who = self.name()
                if (who not in past and p2 not in past.split()
                        and obj.split()[-1] not in past):
                    break
            return cap(past) + ", and then %s %s %s." % (who, p2, obj)
        return cap(self.simple_clause()) + "."

    # -- number sentences
    def number_sentence(self, level):
        r = self.r
        kinds = ["count", "owned", "time", "measure", "temp"]
        if level >= 2:
            kinds += ["price", "year", "room", "bus2", "shop"]
        if level >= 3:
            kinds += ["date", "fraction", "phone", "freq", "sum", "groups",
                      "calls", "address"]
        k = self.pick(kinds)
        self.number_kind = k
        if k == "count":
            n = r.randint(2, 12)
            _, plural, places = self.pick(COUNTABLE)
            return "There are %d %s %s." % (n, plural, self.pick(places))
        if k == "owned":
            return "%s has %d %s." % (self.name(), r.randint(2, 9),
                                      self.pick(OWNED))
        if k == "time":
            what, lo, hi = self.pick((("The bus leaves", 6, 22),
                                      ("The train leaves", 5, 23),
                                      ("Lunch is", 12, 13),
                                      ("The ferry sails", 7, 19),
                                      ("We meet", 9, 20),
                                      ("The class starts", 8, 19),
                                      ("The net starts", 18, 21),
                                      ("Breakfast is", 7, 8)))
            return "%s at %s." % (what, self.clock(lo, hi))
        if k == "measure":
            return self.pick((
                "The river is %d m wide." % r.randint(12, 90),
                "The hill is %d m high." % r.randint(150, 980),
                "The road is %d km long." % r.randint(3, 60),
                "The antenna is %d m long." % r.randint(5, 42),
                "The mast is %d m tall." % r.randint(6, 30),
                "The lake is %d m deep." % r.randint(8, 95)))
        if k == "temp":
            a, b = r.sample(CITIES, 2)
            return "It is %d C in %s and %d C in %s." % (
                r.randint(2, 34), a, r.randint(2, 34), b)
        if k == "price":
            item, lo, hi = self.pick((("ticket", 2, 9), ("book", 6, 25),
                                      ("radio kit", 40, 95),
                                      ("cup of tea", 1, 3),
                                      ("bag of apples", 2, 5),
                                      ("new key", 30, 80)))
            return "The %s costs %d.%s." % (item, r.randint(lo, hi),
                                            self.pick(("00", "25", "50",
                                                       "75", "95")))
        if k == "year":
            return self.pick((
                "The club was founded in %d." % r.randint(1920, 1995),
                "%s was born in %d." % (self.name(), r.randint(1940, 2010)),
                "The lighthouse was built in %d." % r.randint(1820, 1910),
                "The old bridge was opened in %d." % r.randint(1860, 1960),
                "%s got a radio license in %d." % (self.name(),
                                                    r.randint(1960, 2022))))
        if k == "room":
            floor = r.randint(1, 6)
            return "The office is in room %d%02d on floor %d." % (
                floor, r.randint(1, 40), floor)
        if k == "bus2":
            h = r.randint(6, 20)
            m = self.pick((0, 10, 15, 30, 45))
            dur = self.pick((20, 35, 50, 65, 80, 95))
            t2 = h * 60 + m + dur
            return "The %s leaves at %d.%02d and arrives at %d.%02d." % (
                self.pick(("bus", "train", "ferry")), h, m, t2 // 60, t2 % 60)
        if k == "shop":
            return "The %s opens at %d.%02d and closes at %d.%02d." % (
                self.pick(("shop", "library", "museum", "post office",
                           "market")), r.randint(7, 10),
                self.pick((0, 30)), r.randint(16, 20), self.pick((0, 30)))
        if k == "date":
            return "%s is on %d/%d at %s." % (
                self.pick(("The meeting", "The club dinner", "The field day",
                           "The next test", "The market")),
                r.randint(1, 28), r.randint(1, 12), self.clock(9, 20))
        if k == "fraction":
            n = r.randint(2, 8)
            return self.pick((
                "Add 1/2 cup of milk and 3/4 cup of flour.",
                "The tank is 3/4 full.",
                "Cut the wire into %d pieces, each 1/%d of the length." % (
                    n, n),
                "Mix 1/%d cup of sugar with %d cups of flour." % (
                    r.randint(2, 4), r.randint(2, 5)),
                "The glass is only 1/%d full." % r.randint(2, 4)))
        if k == "phone":
            return "Call the %s on 555 01%02d." % (
                self.pick(("club", "office", "doctor", "shop", "station")),
                r.randint(0, 99))
        if k == "freq":
            band = self.pick(BANDS)
            lo, hi = BAND_FREQ[band]
            return "The net meets on %.3f MHz every %s at %s." % (
                r.uniform(lo, hi), self.pick(DAYS), self.clock(17, 21))
        if k == "sum":
            a, b = r.randint(2, 12), r.randint(2, 12)
            c, d = r.randint(2, 12), r.randint(2, 12)
            return "%d x %d = %d, and %d x %d = %d." % (a, b, a * b,
                                                         c, d, c * d)
        if k == "groups":
            groups = ["%05d" % r.randint(0, 99999)
                      for _ in range(3 if level < 5 else 4)]
            return "The code groups are %s and %s." % (", ".join(groups[:-1]),
                                                       groups[-1])
        if k == "calls":
            calls = [self.call() for _ in range(3)]
            calls[r.randint(0, 2)] += self.pick(("/P", "/M", "/QRP"))
            return "On %s we heard %s, %s and %s." % (
                self.pick(BANDS).lower(), calls[0], calls[1], calls[2])
        if k == "address":
            return "The %s is at %d %s Road." % (
                self.pick(("shop", "club", "school", "bakery")),
                r.randint(2, 180), self.pick(("Mill", "Station", "Church",
                                              "Harbor", "Park", "Hill")))
        raise AssertionError(k)

    # -- coherent short paragraphs with numbers (higher levels)
    def paragraph(self):
        r = self.r
        k = self.pick(("forecast", "travel", "shopping", "club", "log"))
        if k == "forecast":
            hi_t = r.randint(11, 30)
            dirs = ("north", "south", "east", "west", "northwest", "southwest")
            early, late = self.pick((("Sunny", "clouds"), ("Sunny", "showers"),
                                     ("Cloudy", "sun"), ("Cloudy", "rain"),
                                     ("Foggy", "sun"), ("Foggy", "clear skies"),
                                     ("Clear", "showers"), ("Wet", "sun"),
                                     ("Wet", "clear skies")))
            return ("Forecast for %s. %s in the morning, %s later. High %d C, "
                    "low %d C, wind from the %s at %d km/h." % (
                        self.pick(DAYS), early, late, hi_t,
                        hi_t - r.randint(4, 10), self.pick(dirs),
                        r.randint(5, 45)))
        if k == "travel":
            female = r.random() < 0.5
            who = self.pick(FEMALE if female else MALE)
            pro = "She" if female else "He"
            h = r.randint(6, 15)
            m = self.pick((0, 10, 15, 30, 45))
            dur = r.randint(2, 5)
            return ("%s took the %d.%02d train to %s. The trip took %d hours, "
                    "and %s arrived at %d.%02d. %s went straight to %s." % (
                        who, h, m, self.pick(CITIES), dur, pro.lower(),
                        h + dur, m, pro, self.pick(("the hotel",
                                                    "the radio club",
                                                    "the harbor",
                                                    "the museum",
                                                    "the market"))))
        if k == "shopping":
            items = r.sample(["%d eggs" % r.randint(6, 12),
                              "%d loaves of bread" % r.randint(2, 3),
                              "1 kg of rice", "%d lemons" % r.randint(2, 6),
                              "a bag of tea", "%d tins of fish" % r.randint(2, 4),
                              "500 g of cheese", "%d apples" % r.randint(4, 9)],
                             4)
            return "Please buy %s, %s, %s and %s." % tuple(items)
        if k == "club":
            h = r.randint(18, 19)
            return ("The radio club meets on %ss at %d.30 in room %d. New "
                    "members are welcome, and a Morse class starts at %d.00." % (
                        self.pick(DAYS), h, r.randint(2, 30), h + 1))
        if k == "log":
            band = self.pick(BANDS)
            lo, hi = BAND_FREQ[band]
            return ("Log, %d/%d. Worked %s on %.3f MHz at %s, RST %s. %s." % (
                r.randint(1, 28), r.randint(1, 12), self.call(),
                r.uniform(lo, hi), self.clock(6, 23), self.rst(),
                self.pick(("Good signals", "Light QSB", "Some QRM",
                           "Weak but readable", "Very loud signals"))))
        raise AssertionError(k)

    # -- radio exchanges (upper case, "=" between parts)
    def op(self):
        female = self.r.random() < 0.35
        return {"call": self.call(),
                "name": self.pick(RADIO_FEMALE if female else RADIO_MALE),
                "female": female, "qth": self.pick(RADIO_CITIES)}

    def two_ops(self):
        """The two operators of a contact, never of the same name."""
        a, b = self.op(), self.op()
        if b["name"] == a["name"]:
            # The next name of the list rather than another draw, so that
            # every other text stays as it was.
            names = RADIO_FEMALE if b["female"] else RADIO_MALE
            b["name"] = names[(names.index(b["name"]) + 1) % len(names)]
        return a, b

    def seg_rst(self):
        r = self.rst()
        return self.pick(("UR RST %s %s" % (r, r), "UR RST IS %s" % r,
                          "RST %s %s" % (r, r), "UR RST %s" % r))

    def seg_name(self, o):
        n = o["name"]
        return self.pick(("NAME %s %s" % (n, n), "NAME HR IS %s" % n,
                          "OP IS %s %s" % (n, n), "NAME IS %s" % n))

    def seg_qth(self, o):
        q = o["qth"]
        return self.pick(("QTH %s %s" % (q, q), "QTH IS %s" % q,
                          "QTH NR %s" % q))

    def seg_rig(self):
        return self.pick(("RIG IS %s" % self.pick(RIGS),
                          "RIG HR %s AT %d W" % (self.pick(RIGS),
                                                 self.pick((5, 10, 50, 100))),
                          "PWR %d W" % self.pick((2, 5, 10, 20, 50, 100))))

    def seg_ant(self):
        return self.pick(("ANT IS %s" % self.pick(ANTENNAS),
                          "ANT %s" % self.pick(ANTENNAS)))

    def seg_wx(self):
        wx, lo, hi = self.pick(WX_WORDS)
        t = self.r.randint(lo, hi)
        forms = ["WX %s, TEMP %d C" % (wx, t), "WX HR IS %s" % wx]
        if " ES " not in wx:
            forms.append("WX %s ES %d C" % (wx, t))
        return self.pick(forms)

    def seg_age(self):
        return self.pick(("AGE %d" % self.r.randint(16, 88),
                          "HAM SINCE %d" % self.r.randint(1962, 2023),
                          "AGE %d, HAM SINCE %d" % (self.r.randint(40, 88),
                                                    self.r.randint(1962, 1999)),
                          "BEEN LICENSED %d YRS" % self.r.randint(2, 50)))

    def greet(self):
        return self.pick(("GM", "GA", "GE"))

    def radio_short(self):
        """One short transmission: a call, an answer or a single report."""
        a, b = self.two_ops()
        x = self.r.random()
        if x < 0.3:
            c = a["call"]
            return self.pick(("CQ CQ DE %s %s K" % (c, c),
                              "CQ CQ CQ DE %s K" % c,
                              "CQ DE %s %s K" % (c, c)))
        if x < 0.55:
            return "%s DE %s %s" % (a["call"], b["call"],
                                    self.pick(("K", "KN")))
        if x < 0.75:
            return "%s %s" % (self.seg_rst(), self.pick(("K", "BK", "HW?")))
        if x < 0.9:
            return "%s = %s" % (self.seg_name(a), self.seg_qth(a))
        return "%s ES TNX FER CALL" % self.greet()

    def over(self, lo, hi):
        """One transmission of a contact, sized to lo..hi characters."""
        me, you = self.two_ops()
        stage = self.pick(("first", "first", "second", "last", "call"))
        head = "%s DE %s" % (you["call"], me["call"])
        if stage == "call":
            c = me["call"]
            head = "CQ CQ DE %s %s K" % (c, c)
            tail = "%s DE %s %s %s" % (c, you["call"], you["call"],
                                       self.pick(("K", "KN")))
            text = head + " " + tail
            return text if lo <= len(text) <= hi else None
        if stage == "first":
            must = ["%s %s TNX FER CALL" % (
                        self.greet(), self.pick(("YL" if you["female"] else
                                                 "OM", "ES"))),
                    self.seg_rst(), self.seg_name(me), self.seg_qth(me)]
            extra = [self.seg_rig(), self.seg_ant(), self.seg_wx(),
                     self.seg_age()]
            tail = "HW CPY? %s DE %s %s" % (you["call"], me["call"],
                                            self.pick(("K", "KN")))
        elif stage == "second":
            must = ["R R TNX %s FER RPT" % you["name"], self.seg_rst(),
                    self.seg_name(me)]
            extra = [self.seg_qth(me), self.seg_rig(), self.seg_ant(),
                     self.seg_wx(), self.seg_age(), self.pick(CONDX)]
            tail = "%s DE %s %s" % (you["call"], me["call"],
                                    self.pick(("KN", "BK", "K")))
        else:
            must = ["R TNX FER FB QSO %s" % you["name"]]
            extra = ["TNX FER RPT ES INFO", self.seg_wx(), self.seg_rig(),
                     self.pick([c for c in CONDX if c != "PSE QRS"]),
                     "QSL VIA BURO"]
            tail = "%s = %s DE %s SK" % (self.pick(CLOSINGS), you["call"],
                                         me["call"])
        self.r.shuffle(extra)
        parts = list(must)
        text = " = ".join([head] + parts) + " = " + tail
        # Grow with extra parts while they fit; shrink the must-have list
        # from the end if even the plain over is too long.
        for e in extra:
            longer = " = ".join([head] + parts + [e]) + " = " + tail
            if len(longer) > hi:
                continue
            parts.append(e)
            text = longer
            if len(text) >= lo and self.r.random() < 0.35:
                break
        while len(text) > hi and len(parts) > 1:
            parts.pop()
            text = " = ".join([head] + parts) + " = " + tail
        return text if lo <= len(text) <= hi else None

    def exchange(self, lo, hi):
        """Both sides of an opening: CQ, the answer and the first report."""
        a, b = self.two_ops()
        ca, cb = a["call"], b["call"]
        text = "CQ CQ DE %s %s K %s DE %s %s KN %s DE %s = %s = %s" % (
            ca, ca, ca, cb, cb, cb, ca, self.greet() + " TNX FER CALL",
            self.seg_rst())
        extras = [self.seg_name(a), self.seg_qth(a), self.seg_wx(),
                  self.seg_rig()]
        end = " = HW? %s DE %s KN" % (cb, ca)
        for e in extras:
            if len(text + " = " + e + end) <= hi:
                text += " = " + e
        text += end
        return text if lo <= len(text) <= hi else None

    def radio_mid(self, lo, hi):
        """Two to four parts of a report, without call signs."""
        a = self.op()
        parts = [self.seg_rst(), self.seg_name(a), self.seg_qth(a),
                 self.seg_rig(), self.seg_ant(), self.seg_wx(),
                 self.pick(CONDX), self.seg_age()]
        first, rest = parts[:1], parts[1:]
        self.r.shuffle(rest)
        chosen = first
        for p in rest:
            if len(" = ".join(chosen + [p])) <= hi:
                chosen.append(p)
            if len(" = ".join(chosen)) >= lo and self.r.random() < 0.5:
                break
        text = " = ".join(chosen) + " " + self.pick(("K", "KN", "BK", "HW?"))
        return text if lo <= len(text) <= hi else None

    # -- texts of a kind, fitted to lo..hi characters
    def phrase(self, lo, hi):
        text = self.pick(PHRASES)
        return text if lo <= len(text) <= hi else None

    def prose(self, lo, hi, level, numbers=False):
        target = self.r.randint(lo, hi)
        sents = []
        hand = [s for s in HAND_SENTENCES if s not in self.used]
        kinds = []
        for _ in range(40):
            x = self.r.random()
            kind = None
            if numbers and (x < 0.6 or not sents):
                s = self.number_sentence(level)
                kind = self.number_kind
                if kind in kinds:
                    continue
            elif level >= 5 and x < 0.2 and hand:
                s = self.pick(hand)
            elif level >= 6 and x < 0.3:
                s = self.paragraph()
            elif level == 0:
                s = self.short_sentence()
            else:
                s = self.sentence(level)
            if s in self.used or s in sents:
                continue
            sk = skeleton(s)
            cap_ = SKELETON_CAP_NUMBERS if "#" in sk else SKELETON_CAP
            if (self.skeletons.get(sk, 0) >= cap_
                    or any(skeleton(t) == sk or t.split()[:2] == s.split()[:2]
                           for t in sents)
                    or shares_time(" ".join(sents), s)
                    or (s.startswith("It ")
                        and any(t.startswith("It ") for t in sents))):
                continue
            if len(" ".join(sents + [s])) > hi:
                continue
            sents.append(s)
            kinds.append(kind)
            if len(" ".join(sents)) >= target:
                break
        text = " ".join(sents)
        if not lo <= len(text) <= hi:
            return None, []
        return text, sents

    def make(self, kind, lo, hi, level):
        for _ in range(2000):
            if kind == "phrase":
                t = self.phrase(lo, hi)
            elif kind in ("prose", "numbers"):
                t, sents = self.prose(lo, hi, level, numbers=kind == "numbers")
            elif kind == "radio_short":
                # Calls and answers are short by nature: only the upper
                # bound applies.
                t = self.radio_short()
                t = t if len(t) <= hi else None
            elif kind == "radio_mid":
                t = self.radio_mid(lo, hi)
            elif kind == "over":
                t = self.over(lo, hi)
            elif kind == "exchange":
                t = self.exchange(lo, hi)
            else:
                raise AssertionError(kind)
            if t is not None and t not in self.used:
                self.used.add(t)
                if kind in ("prose", "numbers"):
                    self.used.update(sents)
                    for x in sents:
                        sk = skeleton(x)
                        self.skeletons[sk] = self.skeletons.get(sk, 0) + 1
                return t
        raise RuntimeError("cannot make a %s text of %d..%d characters"
                           % (kind, lo, hi))


def cap(s):
    return s[:1].upper() + s[1:]


# Each block: a list of parts; a part is (shortest, longest, [(kind, count)]).
# Texts of one part are ordered by length, so they grow through the block.
BLOCKS = [
    [(5, 26, [("phrase", 40)]),
     (14, 36, [("prose", 60)])],
    [(24, 55, [("prose", 70), ("numbers", 15), ("radio_short", 15)])],
    [(40, 75, [("prose", 55), ("numbers", 20), ("radio_short", 10),
               ("radio_mid", 15)])],
    [(55, 90, [("prose", 45), ("numbers", 20), ("radio_mid", 25),
               ("over", 10)])],
    [(65, 105, [("prose", 25), ("numbers", 45), ("radio_mid", 15),
                ("over", 15)])],
    [(80, 120, [("prose", 40), ("numbers", 20), ("radio_mid", 15),
                ("over", 25)])],
    [(95, 140, [("prose", 35), ("numbers", 15), ("over", 40),
                ("exchange", 10)])],
    [(110, 160, [("prose", 40), ("numbers", 20), ("over", 30),
                 ("exchange", 10)])],
    [(130, 185, [("prose", 35), ("numbers", 15), ("over", 35),
                 ("exchange", 15)])],
    [(160, 200, [("prose", 20), ("numbers", 10), ("over", 12),
                 ("exchange", 8)])],
]


def build():
    g = Gen(SEED)
    blocks = []
    for level, parts in enumerate(BLOCKS):
        lines = []
        for lo, hi, kinds in parts:
            made = []
            for kind, count in kinds:
                made += [g.make(kind, lo, hi, level) for _ in range(count)]
            # Interleave the kinds before ordering, so equal lengths mix.
            g.r.shuffle(made)
            made.sort(key=len)
            lines += made
        blocks.append(lines)
    check(blocks)
    return blocks


def check(blocks):
    texts = [t for b in blocks for t in b]
    assert len(texts) == TEXT_COUNT, len(texts)
    assert len(set(texts)) == TEXT_COUNT, "repeated text"
    for i, b in enumerate(blocks):
        want = min(TEXTS_PER_BLOCK, TEXT_COUNT - i * TEXTS_PER_BLOCK)
        assert len(b) == want, (i, len(b))
    for t in texts:
        assert ALLOWED.match(t), t
        thanked = re.search(r"TNX (\w+) FER RPT", t)
        assert not (thanked and re.search(r"\b(NAME|OP)( HR)?( IS)? %s\b"
                                          % thanked.group(1), t)), t
        assert t == t.strip() and "  " not in t, t
        assert len(t) <= 200, t


def main():
    out = sys.argv[1] if len(sys.argv) > 1 else os.path.join(
        os.path.dirname(os.path.abspath(__file__)), "..", "data")
    os.makedirs(out, exist_ok=True)
    for i, lines in enumerate(build()):
        data = "".join(t + "\r\n" for t in lines).encode("ascii")
        with open(os.path.join(out, "P%d" % i), "wb") as f:
            f.write(data)


if __name__ == "__main__":
    main()
